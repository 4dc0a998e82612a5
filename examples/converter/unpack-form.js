// Unpacks an MHT document into its HTML page, written to standard output; every image, style
// sheet, script and background of the page goes into a temporary file, and the page's
// references point at those files:
//
//     scripthost unpack-form.js FORM.mht > FORM.htm
//
// FORM.mht is an absolute path or a file: or http(s): URL. The converter removes the temporary
// files when it is released, that is when the script ends.

function FileUrl(name) {
    if (/^[a-z][a-z0-9+.\-]*:\/\//i.test(name))
        return name;
    if (/^[a-z]:[\\\/]/i.test(name))
        return "file://" + name.replace(/\\/g, "/");
    if (name.charAt(0) == "/")
        return "file://" + name;
    return "";
}

// Echo ends the text with a line feed of its own: the page's last one is left to it.
function Write(text) {
    WScript.Echo(text.charAt(text.length - 1) == "\n" ? text.substring(0, text.length - 1) : text);
}

if (WScript.Arguments.length != 1) {
    WScript.StdErr.WriteLine("usage: scripthost unpack-form.js FORM.mht > FORM.htm");
    WScript.Quit(2);
}
var document = FileUrl(WScript.Arguments(0));
if (document == "") {
    WScript.StdErr.WriteLine("unpack-form.js: give the MHT document as an absolute path or a URL: " +
                             WScript.Arguments(0));
    WScript.Quit(2);
}

var converter = new ActiveXObject("Quorle.Convert");
converter.sync = true;
// DownloadURL reads any document into htmlData; here it is the MHT text.
var mht = converter.DownloadURL(document);
if (!converter.IsMHTML(mht)) {
    WScript.StdErr.WriteLine("unpack-form.js: " + document + " is not an MHT document");
    WScript.Quit(1);
}
converter.htmlData = "";
converter.mhtData = mht;
converter.filterIn();
var html = converter.htmlData;
if (html == "") {
    WScript.StdErr.WriteLine("unpack-form.js: " + document + " holds no HTML page");
    WScript.Quit(1);
}
Write(html);
