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
// and everything it shows. A part that cannot be copied fails the script (exit status 1).
//
// pack-form.js writes the document through scripthost's standard output, in UTF-8, while the form
// control saves it in the ANSI code page, the way the converter reads every document: a document
// that is not plain ASCII is read as UTF-8 when its bytes are UTF-8 (Kestrum gives the bytes).

// One canonical URL for a path or URL, as the converter writes the locations of the page's parts:
// a local path (/home/me/form.htm, c:\forms\form.htm) or a file: URL becomes file:///... with the
// characters a URL cannot hold as they are (blanks, "%", "#", "?", controls) escaped; "" when the
// name is neither absolute nor a URL.
function FileUrl(name) {
    var path;
    if (/^file:/i.test(name)) {
        // file:///c:/x, file://c:/x, file://localhost/x and file:/x name the same kind of path; a
        // URL's own escapes stay as they are.
        path = name.replace(/^file:(\/\/(localhost(?=\/))?)?/i, "").replace(/\\/g, "/");
        if (/^[a-z]:\//i.test(path))
            path = "/" + path;
        return "file://" + path.replace(/ /g, "%20");
    }
    if (/^[a-z][a-z0-9+.\-]*:\/\//i.test(name))
        return name;
    path = name.replace(/\\/g, "/");
    if (/^[a-z]:\//i.test(path))
        path = "/" + path;
    else if (path.charAt(0) != "/")
        return "";
    return "file://" + path.replace(/[%#? \x00-\x1F\x7F]/g, function(c) {
        var hex = c.charCodeAt(0).toString(16).toUpperCase();
        return "%" + (hex.length < 2 ? "0" + hex : hex);
    });
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
        var name = location[1].replace(/^.*[\/\\]/, "").replace(/[?#].*$/, "");
        try {
            name = decodeURIComponent(name);
        } catch (e) {
            // a "%" that starts no escape is part of the name
        }
        names.push({base64: parts[i].substring(at).replace(/\s+/g, ""), name: name});
    }
    return names;
}

// The number of bytes a base64 text holds.
function DecodedLength(base64) {
    var padding = base64.charAt(base64.length - 1) != "=" ? 0 : base64.charAt(base64.length - 2) == "=" ? 2 : 1;
    return Math.floor(base64.length / 4) * 3 - padding;
}

// The bytes of a base64 text, one character (U+0000 to U+00FF) per byte.
function Base64Bytes(base64) {
    var digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    var bytes = [], bits = 0, count = 0;
    for (var i = 0; i < base64.length; i++) {
        var value = digits.indexOf(base64.charAt(i));
        if (value < 0)
            continue; // padding and line breaks
        bits = (bits << 6) | value;
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes.push(String.fromCharCode((bits >> count) & 0xFF));
        }
    }
    return bytes.join("");
}

// The document's text: as the converter reads it (ANSI), unless it holds more than ASCII and its
// bytes are valid UTF-8.
function DocumentText(url) {
    var ansi = converter.DownloadURL(url);
    if (!/[^\x00-\x7F]/.test(ansi))
        return ansi;
    var bytes = Base64Bytes(new ActiveXObject("Kestrum.MiscFunc").DownloadToBase64(url));
    try {
        return decodeURIComponent(escape(bytes));
    } catch (e) {
        return ansi; // not UTF-8
    }
}

function Fail(message) {
    WScript.StdErr.WriteLine("unpack-form.js: " + message);
    WScript.Quit(1);
}

// Copies each temporary file the page refers to into the folder and points the page there. The
// converter writes a reference as "file://" and the file's path as it stands, whatever characters
// the temporary folder's name holds, and names the file mht_XXXX.tmp: a reference runs from the
// nearest "file://" before such a name to its end, and is one when that file exists.
function CopyResources(html, mht) {
    var helpers = new ActiveXObject("Kestrum.MiscFunc");
    var names = PartNames(mht);
    var separator = folder.indexOf("\\") >= 0 ? "\\" : "/";
    var base = folder.replace(/[\\\/]+$/, "") + separator;
    var copied = {};
    return html.replace(/file:\/\/(?:(?!file:\/\/)[\s\S])*?mht_[0-9A-Fa-f]+\.tmp/g, function(reference) {
        if (copied.hasOwnProperty(reference))
            return copied[reference];
        var path = reference.substring("file://".length);
        if (!helpers.FileExists(path))
            return reference;
        var data = helpers.DownloadToBase64(reference);
        if (data == "")
            Fail("cannot read the part in " + path);
        var name = helpers.ExtractFileName(path);
        for (var i = 0; i < names.length; i++) {
            if (names[i].base64 == data && names[i].name != "") {
                name = names[i].name;
                break;
            }
        }
        var dot = name.lastIndexOf(".");
        var stem = dot > 0 ? name.substring(0, dot) : name;
        var target = helpers.GetUniqueFileName(base + stem, dot > 0 ? name.substring(dot) : "");
        if (target == "" || helpers.Base64ToLocalFile(data, target) != DecodedLength(data))
            Fail("cannot write " + (target == "" ? base + name : target));
        copied[reference] = helpers.ExtractFileName(target);
        return copied[reference];
    });
}

var converter = new ActiveXObject("Quorle.Convert");
converter.sync = true;
// DownloadURL reads any document into htmlData; here it is the MHT text.
var mht = DocumentText(document);
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
WScript.StdOut.Write(html);
