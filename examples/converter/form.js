function checkRequired(form) {
    var fields = form.getElementsByTagName("input");
    for (var i = 0; i < fields.length; i++) {
        if (fields[i].getAttribute("required") == "1" && fields[i].value == "") {
            return false;
        }
    }
    return true;
}
