// Unpacks an MHT document into its HTML page, written to standard output:
//
//     scripthost unpack-form.js FORM.mht [FOLDER] > FOLDER/FORM.htm
//
// FORM.mht is an absolute path or a file: or http(s): URL. The converter puts every image, style
// sheet, script and background of the page into a temporary file and points the page's
// references at those files; it removes them when it is released, that is when the script ends.
// Given a FOLDER (an absolute path), the script first copies each of them there under the name
// its part had in the document (through Kestrum's file helpers, so Kestrum must be registered
// too) and points the references at the copies by plain name, so that the folder holds the page
// and everything it shows.

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

if (WScript.Arguments.length < 1 || WScript.Arguments.length > 2) {
    WScript.StdErr.WriteLine("usage: scripthost unpack-form.js FORM.mht [FOLDER] > FOLDER/FORM.htm");
    WScript.Quit(2);
}
var document = FileUrl(WScript.Arguments(0));
if (document == "") {
    WScript.StdErr.WriteLine("unpack-form.js: give the MHT document as an absolute path or a URL: " +
                             WScript.Arguments(0));
    WScript.Quit(2);
}

var folder = WScript.Arguments.length == 2 ? WScript.Arguments(1) : "";
if (folder != "" && !/^([a-z]:)?[\\\/]/i.test(folder)) {
    WScript.StdErr.WriteLine("unpack-form.js: give the folder as an absolute path: " + folder);
    WScript.Quit(2);
}

// The base64 text of every base64 part of the document with the file name of its location.
function PartNames(mht) {
    var names = [];
    var parts = mht.split(/\r?\n--/);
    for (var i = 1; i < parts.length; i++) {
        var at = parts[i].search(/\r?\n\r?\n/);
        if (at < 0)
            continue;
        var header = parts[i].substring(0, at);
        var location = /\nContent-Location:[ \t]*([^\r\n]*)/i.exec(header);
        if (!location || !/\nContent-Transfer-Encoding:[ \t]*base64/i.test(header))
            continue;
        var name = location[1].replace(/[?#].*$/, "").replace(/^.*[\/\\]/, "");
        names.push({base64: parts[i].substring(at).replace(/\s+/g, ""), name: name});
    }
    return names;
}

// Copies each temporary file the page refers to into the folder and points the page there.
function CopyResources(html, mht) {
    var helpers = new ActiveXObject("Kestrum.MiscFunc");
    var names = PartNames(mht);
    var separator = folder.indexOf("\\") >= 0 ? "\\" : "/";
    var base = folder.replace(/[\\\/]+$/, "") + separator;
    var copied = {};
    return html.replace(/file:\/\/[^"' )>]*mht_[0-9A-Fa-f]+\.tmp/g, function(reference) {
        if (copied[reference])
            return copied[reference];
        var data = helpers.DownloadToBase64(reference);
        var name = helpers.ExtractFileName(reference);
        for (var i = 0; i < names.length; i++) {
            if (names[i].base64 == data && names[i].name != "") {
                name = names[i].name;
                break;
            }
        }
        var dot = name.lastIndexOf(".");
        var stem = dot > 0 ? name.substring(0, dot) : name;
        var target = helpers.GetUniqueFileName(base + stem, dot > 0 ? name.substring(dot) : "");
        if (data != "" && helpers.Base64ToLocalFile(data, target) < 0) {
            WScript.StdErr.WriteLine("unpack-form.js: cannot write " + target);
            WScript.Quit(1);
        }
        copied[reference] = helpers.ExtractFileName(target);
        return copied[reference];
    });
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
if (folder != "")
    html = CopyResources(html, mht);
Write(html);
