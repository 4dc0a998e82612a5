// The toolbar page of the form control. The control reaches it through window.external (its
// page bridge) and calls VisibleToolbar, addCol, deleteCol, addRow and deleteRow by name.

// The control's commands (FORMPROCESSOR_CMDID) and their states (FORMPROCESSOR_CMDF).
var FPID_NOTSUPPORTED = 0, FPID_NONE = 1, FPID_SPLIT = 2, FPID_MERGE = 3, FPID_CurSelElementFromCaret = 4,
    FPID_TableLayout = 5, FPID_Print = 6, FPID_LoadURL = 7, FPID_MODE_CHANGE = 8, FPID_SAVE_DOCUMENT = 9,
    FPID_DocumentLock = 10, FPID_FontEnum = 11, FPID_ValidSelect = 12, FPID_SetCurTD = 13,
    FPID_IsEditMode = 14, FPID_INSERTTABLE = 15, FPID_WORD_INSERTTABLE = 16, FPID_INIT_EDIT_MODE = 17,
    FPID_SHOW_PROPERTY_DLG = 18, FPID_TD_LOCK_MODE = 19, FPID_MEMO = 20, FPID_LOAD_DOCUMENT = 21,
    FPID_IMG_DIALOG = 22, FPID_TD_BACKCOLOR = 23, FPID_SOURCE_VIEW = 24, FPID_QUERY_MODE = 25,
    FPID_GetTableStyle = 26, FPID_SPELLING_CHECK = 98, FPID_TEST = 99;
var FPF_NOTSUPPORTED = 0, FPF_DISABLED = 1, FPF_ENABLED = 3, FPF_LATCHED = 7, FPF_NINCHED = 11;

// The editing control's commands.
var DECMD_BOLD = 5000, DECMD_INDENT = 5018, DECMD_INSERTTABLE = 5022, DECMD_ITALIC = 5023,
    DECMD_JUSTIFYCENTER = 5024, DECMD_JUSTIFYLEFT = 5025, DECMD_JUSTIFYRIGHT = 5026, DECMD_ORDERLIST = 5030,
    DECMD_OUTDENT = 5031, DECMD_REDO = 5033, DECMD_SETFONTNAME = 5044, DECMD_SETFONTSIZE = 5045,
    DECMD_UNDERLINE = 5048, DECMD_UNDO = 5049, DECMD_UNORDERLIST = 5051;
var OLECMDEXECOPT_DODEFAULT = 0, OLECMDEXECOPT_DONTPROMPTUSER = 2;

var TOOLBARS = ["tbFormat", "tbExpand", "tbStandard", "tbPosition", "tbTable"];
var TOOLBAR_HEIGHT = 26;
var CELL_WIDTH = 60;

var pageLoaded = false;
// The editor completed a document before the page had loaded: that completion runs at the load.
var completionWaiting = false;
var firstCompletion = true;
var editorPrepared = false;
// Set by the edit/browse button just before its mode change; the completion that follows is a
// mere switch and asks for no document-ready step.
var modeToggled = false;

// An answer of the control as a number: an empty answer counts as 0.
function toNumber(value) {
    if (value === undefined || value === null || value === "")
        return 0;
    var n = Number(value);
    return isNaN(n) ? 0 : n;
}

function toBool(value) {
    return value === true || toNumber(value) !== 0;
}

function editor() {
    return document.getElementById("tbContentElement");
}

// ---- toolbars ----

function showToolbars(flag) {
    var visible = 0;
    for (var i = 0; i < TOOLBARS.length; i++) {
        var show = flag == 2 || (flag == 1 && TOOLBARS[i] != "tbTable");
        document.getElementById(TOOLBARS[i]).style.display = show ? "block" : "none";
        if (show)
            visible++;
    }
    var edit = editor();
    if (edit) {
        edit.style.top = (visible * TOOLBAR_HEIGHT) + "px";
    }
}

// Called by the control's ShowToolbar: shows the toolbars of the mode and switches the editor
// when the mode and the editor's state disagree (an editor that is busy is left alone).
function VisibleToolbar(flag) {
    showToolbars(flag);
    var editMode = toNumber(external.ExecCommand(FPID_IsEditMode));
    if ((flag == 0 && editMode == 1) || ((flag == 1 || flag == 2) && editMode == 0))
        external.ExecCommand(FPID_MODE_CHANGE);
}

function setButtonClass(id, state) {
    var button = document.getElementById(id);
    if (button)
        button.className = "tbButton " + state;
}

// grey for disabled or unsupported, down for latched, up for enabled or ninched.
function commandState(status) {
    switch (status) {
    case FPF_LATCHED:
        return "down";
    case FPF_ENABLED:
    case FPF_NINCHED:
        return "up";
    default:
        return "grey";
    }
}

function updateButtons() {
    setButtonClass("btnMerge", commandState(toNumber(external.QueryStatus(FPID_MERGE))));
    setButtonClass("btnSplit", commandState(toNumber(external.QueryStatus(FPID_SPLIT))));
    setButtonClass("btnInsertTable", commandState(toNumber(external.QueryStatus(FPID_INSERTTABLE))));
    var lock = toNumber(external.QueryStatus(FPID_TD_LOCK_MODE));
    setButtonClass("btnCellLock", lock == FPF_ENABLED ? "up" : "down");
    var layout = toNumber(external.QueryStatus(FPID_TableLayout));
    setButtonClass("btnTableLayout", layout == FPF_ENABLED ? "up" : (layout == FPF_DISABLED ? "down" : "grey"));
    external.ExecCommand(FPID_SetCurTD);
}

// ---- fonts ----

function fillFontList(answer) {
    if (answer === undefined || answer === null || answer === "")
        return; // keep the page's own list
    var names = typeof answer == "object" && !(answer instanceof Array) ? new VBArray(answer).toArray() : answer;
    var list = document.getElementById("fontName");
    while (list.options.length > 0)
        list.remove(0);
    for (var i = 0; i < names.length; i++) {
        var option = document.createElement("OPTION");
        option.text = names[i];
        option.value = names[i];
        list.add(option);
    }
}

function setFontName(list) {
    if (list.selectedIndex >= 0)
        formatCommand(DECMD_SETFONTNAME, list.options[list.selectedIndex].value);
}

function setFontSize(list) {
    if (list.selectedIndex >= 0)
        formatCommand(DECMD_SETFONTSIZE, Number(list.options[list.selectedIndex].value));
}

// ---- page and editor events ----

function onPageLoad() {
    external.QueryStatus(FPID_QUERY_MODE);
    showToolbars(toNumber(external.QueryStatus(FPID_INIT_EDIT_MODE)));
    buildTablePicker();
    pageLoaded = true;
    if (completionWaiting) {
        completionWaiting = false;
        onEditorDocumentComplete();
    }
}

function onEditorDocumentComplete() {
    // The control hears of the page's load before any of the editor's completions.
    if (!pageLoaded) {
        completionWaiting = true;
        return;
    }
    external.InitComplete();
    if (firstCompletion) {
        firstCompletion = false;
        external.QueryStatus(FPID_QUERY_MODE);
        external.DocumentComplete(0);
        if (toNumber(external.QueryStatus(FPID_INIT_EDIT_MODE)) == 0) {
            // Browse use: the editor leaves edit mode; the reload completes again.
            if (toNumber(external.ExecCommand(FPID_IsEditMode)) == 1)
                external.ExecCommand(FPID_MODE_CHANGE);
            return;
        }
    }
    var toggled = modeToggled;
    modeToggled = false;
    if (!toggled)
        external.DocumentComplete(1);
    if (!editorPrepared) {
        editorPrepared = true;
        editor().SourceCodePreservation = false;
        fillFontList(external.ExecCommand(FPID_FontEnum));
    }
}

function onEditorDisplayChanged() {
    if (pageLoaded)
        updateButtons();
}

function onEditorContextMenu() {
    if (toBool(external.ExecCommand(FPID_IsEditMode)))
        external.ExecCommand(FPID_SHOW_PROPERTY_DLG);
}

// ---- buttons ----

// A formatting action runs only where the control allows editing.
function formatCommand(command, argument) {
    if (!toBool(external.ExecCommand(FPID_ValidSelect)))
        return;
    if (argument === undefined)
        editor().ExecCommand(command, OLECMDEXECOPT_DODEFAULT);
    else
        editor().ExecCommand(command, OLECMDEXECOPT_DODEFAULT, argument);
    editor().focus();
}

function controlCommand(command) {
    external.ExecCommand(command);
}

function toggleEditMode() {
    external.ExecCommand(FPID_IsEditMode);
    modeToggled = true;
    external.ExecCommand(FPID_MODE_CHANGE);
}

function toggleColorPalette() {
    var palette = document.getElementById("colorPalette");
    palette.style.display = palette.style.display == "block" ? "none" : "block";
}

// A swatch of the palette gives the highlighted cells, or the selected one, its colour.
function chooseCellColor() {
    var swatch = window.event.srcElement;
    document.getElementById("colorPalette").style.display = "none";
    external.ExecCommand(FPID_TD_BACKCOLOR, swatch.getAttribute("color"));
}

// ---- inserting a table ----

function buildTablePicker() {
    var grid = document.getElementById("pickerGrid");
    for (var r = 0; r < 8; r++) {
        var row = grid.insertRow(-1);
        for (var c = 0; c < 10; c++) {
            var cell = row.insertCell(-1);
            cell.rowNumber = r + 1;
            cell.colNumber = c + 1;
            cell.onmouseover = pickerHover;
            cell.onclick = pickerChoose;
        }
    }
}

function toggleTablePicker() {
    var picker = document.getElementById("tablePicker");
    picker.style.display = picker.style.display == "block" ? "none" : "block";
}

function pickerHover() {
    var target = window.event.srcElement;
    var grid = document.getElementById("pickerGrid");
    for (var r = 0; r < grid.rows.length; r++) {
        for (var c = 0; c < grid.rows[r].cells.length; c++)
            grid.rows[r].cells[c].className = r < target.rowNumber && c < target.colNumber ? "chosen" : "";
    }
    document.getElementById("pickerSize").innerText = target.rowNumber + " x " + target.colNumber;
}

function pickerChoose() {
    var target = window.event.srcElement;
    document.getElementById("tablePicker").style.display = "none";
    insertTable(target.rowNumber, target.colNumber);
}

function ancestorByTag(element, tag) {
    while (element && element.tagName != tag)
        element = element.parentElement;
    return element;
}

// Inserts a rows x cols table at the caret with the form's table look; inside a TD wide enough,
// the table gets its exact width and every cell 60 px.
function insertTable(rows, cols) {
    if (!toBool(external.ExecCommand(FPID_ValidSelect)))
        return;
    var cellBefore = ancestorByTag(external.ExecCommand(FPID_CurSelElementFromCaret), "TD");
    var info = document.getElementById("ObjTableInfo");
    info.NumRows = rows;
    info.NumCols = cols;
    info.TableAttrs = "border=1 cellPadding=0 cellSpacing=0";
    info.CellAttrs = "";
    info.Caption = "";
    editor().ExecCommand(DECMD_INSERTTABLE, OLECMDEXECOPT_DONTPROMPTUSER, info);
    var table = ancestorByTag(external.ExecCommand(FPID_CurSelElementFromCaret), "TABLE");
    if (!table)
        return;
    table.borderColorDark = "white";
    table.borderColorLight = "black";
    table.border = 1;
    table.cellPadding = 0;
    table.cellSpacing = 0;
    table.style.cssText = external.ExecCommand(FPID_GetTableStyle);
    var width = 2 + CELL_WIDTH * cols;
    if (cellBefore && cellBefore.offsetWidth > width)
        table.width = width;
    for (var r = 0; r < table.rows.length; r++) {
        for (var c = 0; c < table.rows[r].cells.length; c++)
            table.rows[r].cells[c].width = CELL_WIDTH;
    }
}

// ---- fixed tables: the control calls these by name ----

// Inserts in every row a cell before cell insertIndex-1 (after it with bInsertAfter), with the
// border type as its style, a space, and the neighbour's "free".
function addCol(table, insertIndex, borderType, bInsertAfter) {
    if (!table || !table.rows)
        return;
    var at = insertIndex - 1;
    for (var r = 0; r < table.rows.length; r++) {
        var row = table.rows[r];
        if (at < 0 || at >= row.cells.length)
            continue;
        var neighbour = row.cells[at];
        var cell = row.insertCell(bInsertAfter ? at + 1 : at);
        if (borderType)
            cell.style.cssText = borderType;
        cell.innerHTML = "&nbsp;";
        if (neighbour.getAttribute("free") !== null)
            cell.setAttribute("free", "");
    }
}

// Removes cell deleteIndex-1 of every row, never a row's last cell.
function deleteCol(table, deleteIndex, borderType, bInsertAfter) {
    if (!table || !table.rows)
        return;
    var at = deleteIndex - 1;
    for (var r = 0; r < table.rows.length; r++) {
        var row = table.rows[r];
        if (at < 0 || at >= row.cells.length || row.cells.length <= 1)
            continue;
        row.deleteCell(at);
    }
}

// Inserts a row before row insertIndex-1 (after it with bInsertAfter) with the neighbour row's
// cells: their number, colSpans, "free" and the border type.
function addRow(table, insertIndex, borderType, bInsertAfter) {
    if (!table || !table.rows)
        return;
    var at = insertIndex - 1;
    if (at < 0 || at >= table.rows.length)
        return;
    var neighbour = table.rows[at];
    var row = table.insertRow(bInsertAfter ? at + 1 : at);
    for (var c = 0; c < neighbour.cells.length; c++) {
        var model = neighbour.cells[c];
        var cell = row.insertCell(-1);
        cell.colSpan = model.colSpan;
        if (borderType)
            cell.style.cssText = borderType;
        cell.innerHTML = "&nbsp;";
        if (model.getAttribute("free") !== null)
            cell.setAttribute("free", "");
    }
}

// Removes row deleteIndex-1 unless it is the table's only row.
function deleteRow(table, deleteIndex, borderType, bInsertAfter) {
    if (!table || !table.rows)
        return;
    var at = deleteIndex - 1;
    if (at < 0 || at >= table.rows.length || table.rows.length <= 1)
        return;
    table.deleteRow(at);
}
