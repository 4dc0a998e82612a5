// Answers for contacts.js: the save dialog ("저장") gets the book name the script offers,
// contacts.wab in the current folder; anything else the components show takes its default.
//
//     build/bin/scripthost --answers examples/contacts/answers.js examples/contacts/contacts.js

function onFileDialog(request) {
    if (!request.Save || request.Attempt > 1)
        return null; // a refused answer is not given twice: cancel
    return request.InitialFile != "" ? request.InitialFile : "contacts.wab";
}
