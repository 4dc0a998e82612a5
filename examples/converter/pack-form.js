// Packs a form page with its images, style sheets, scripts and backgrounds into one MHT
// document, written to standard output:
//
//     scripthost pack-form.js FORM.htm > FORM.mht
//
// FORM is an absolute path (/home/me/form.htm, c:\forms\form.htm) or a file:, http: or https:
// URL; relative references in the page are resolved against its folder. Quorle must be
// registered first (regsvr libquorle.so).

function FileUrl(name) {
    if (/^[a-z][a-z0-9+.\-]*:\/\//i.test(name))
        return name;
    if (/^[a-z]:[\\\/]/i.test(name))
        return "file://" + name.replace(/\\/g, "/");
    if (name.charAt(0) == "/")
        return "file://" + name;
    return "";
}

// Echo ends the text with a line feed of its own: the document's last one is left to it.
function Write(text) {
    WScript.Echo(text.charAt(text.length - 1) == "\n" ? text.substring(0, text.length - 1) : text);
}

if (WScript.Arguments.length != 1) {
    WScript.StdErr.WriteLine("usage: scripthost pack-form.js FORM.htm > FORM.mht");
    WScript.Quit(2);
}
var page = FileUrl(WScript.Arguments(0));
if (page == "") {
    WScript.StdErr.WriteLine("pack-form.js: give the form page as an absolute path or a URL: " +
                             WScript.Arguments(0));
    WScript.Quit(2);
}

var converter = new ActiveXObject("Quorle.Convert");
converter.sync = true;
if (converter.DownloadURL(page) == "") {
    WScript.StdErr.WriteLine("pack-form.js: cannot read " + page);
    WScript.Quit(1);
}
converter.filterOut(page);
var mht = converter.mhtData;
if (!converter.IsMHTML(mht)) {
    WScript.StdErr.WriteLine("pack-form.js: " + page + " gave no MHT document");
    WScript.Quit(1);
}
Write(mht);
