// Exports three contacts given as XML into a new address book and imports them again, printing
// each contact document the import hands over:
//
//     scripthost contacts.js [BOOK.wab]
//
// Without BOOK the save dialog asks for the file ("저장", address books or all files). The book is
// a vCard file any vCard reader opens. Kestrum must be registered first (regsvr libkestrum.so).

var contacts = [
    "<OUT><SURNAME>김</SURNAME><GIVEN_NAME>철수</GIVEN_NAME><DISPLAY_NAME>김철수</DISPLAY_NAME>" +
    "<EMAIL_ADDRESS>kim@example.com</EMAIL_ADDRESS><MOBILE_TELEPHONE_NUMBER>010-1234-5678</MOBILE_TELEPHONE_NUMBER>" +
    "<COMPANY_NAME>Kestrum</COMPANY_NAME><DEPARTMENT_NAME>Forms</DEPARTMENT_NAME></OUT>",
    "<OUT><SURNAME>이</SURNAME><GIVEN_NAME>영희</GIVEN_NAME><DISPLAY_NAME>이영희</DISPLAY_NAME>" +
    "<HOME_ADDRESS_CITY>서울</HOME_ADDRESS_CITY><HOME_ADDRESS_STREET>세종대로 1</HOME_ADDRESS_STREET>" +
    "<COMMENT>Met at the spring fair; likes forms, tables and lists</COMMENT></OUT>",
    "<OUT><SURNAME>Smith</SURNAME><GIVEN_NAME>Ann</GIVEN_NAME><DISPLAY_NAME>Ann Smith</DISPLAY_NAME>" +
    "<EMAIL_ADDRESS>ann@example.net</EMAIL_ADDRESS><TITLE>Engineer</TITLE></OUT>"
];

var io = new ActiveXObject("Kestrum.ContactIO");
WScript.ConnectObject(io, "io_");
function io_ReadyContact(doc, current, total) {
    WScript.Echo("contact " + current + " of " + total + ": " + doc.xml);
}

var book = WScript.Arguments.length > 0 ? WScript.Arguments(0) : io.GetSaveFileNameSel("", "contacts.wab");
if (book == "") {
    WScript.StdErr.WriteLine("contacts.js: no file was chosen");
    WScript.Quit(1);
}
if (!io.OpenWABFile(book, 1)) {
    WScript.StdErr.WriteLine("contacts.js: cannot open " + book);
    WScript.Quit(1);
}
for (var i = 0; i < contacts.length; i++) {
    var doc = new ActiveXObject("Microsoft.XMLDOM");
    doc.async = false;
    doc.loadXML(contacts[i]);
    var failed = io.ContactOut(doc);
    if (failed) {
        WScript.StdErr.WriteLine("contacts.js: " + failed);
        WScript.Quit(1);
    }
}
var result = io.ContactIn(book);
if (result) {
    WScript.StdErr.WriteLine("contacts.js: " + result);
    WScript.Quit(1);
}
