// Packs a form page with its images, style sheets, scripts and backgrounds into one MHT
// document, written to standard output:
//
//     scripthost pack-form.js FORM.htm > FORM.mht
//
// FORM is an absolute path (/home/me/form.htm, c:\forms\form.htm) or a file:, http: or https:
// URL; relative references in the page are resolved against its folder. Quorle must be
// registered first (regsvr libquorle.so).

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
WScript.StdOut.Write(mht);
