// Loads the request page's form script given on the command line and drives it with stand-in
// form controls, printing every result, so that two builds of the script can be compared.
"use strict";

var path = require("path");
var form = require(path.resolve(process.argv[2]));

function field(name, value, type) {
    return { name: name, value: value, type: type || "text", className: "", checked: false };
}

function makeForm(values) {
    var elements = [];
    for (var name in values) elements.push(field(name, values[name]));
    var check = field("urgent", "yes", "checkbox");
    check.checked = true;
    elements.push(check);
    var choice = field("kind", "", "select-one");
    choice.options = [{ value: "leave" }, { value: "expense" }];
    choice.selectedIndex = 1;
    elements.push(choice);
    return { elements: elements };
}

var f = form.format, u = form.util, r = form.rules, it = form.items, p = form.page;

[0, 1.005, -12.5, 999, 1000, 1234567.891, -1000000].forEach(function (v) {
    console.log("money", v, f.money(v));
});
["0212345678", "02-123-4567", "01012345678", "031 987 6543", "12345", "abc"].forEach(function (v) {
    console.log("phone", JSON.stringify(v), f.phone(v));
});
["2026.12.8", "2026/12/08", "20261208", "2024-02-29", "2026-02-29", "2026-13-01", " 2026-1-31 "].forEach(function (v) {
    console.log("date", JSON.stringify(v), JSON.stringify(f.date(v)));
});
console.log("trim", JSON.stringify(u.trim("  a  b \t")));

var element = { className: "wide" };
u.addClass(element, "field-error");
u.addClass(element, "field-error");
console.log("class", element.className, u.hasClass(element, "wide"));
u.removeClass(element, "wide");
console.log("class", element.className);

var good = makeForm({ applicant: "Kim Minsu", phone: "0212345678", firstDay: "2026.12.21",
                      lastDay: "20261224", reason: "Family event in Busan", advance: "150,000" });
var bad = makeForm({ applicant: "", phone: "12", firstDay: "2026-12-24", lastDay: "2026-12-21",
                     reason: "short", advance: "-5" });
var reports = [];
console.log("submit good", p.submit(good, function (t) { reports.push(t); }));
console.log("tidied", good.elements[1].value, good.elements[2].value, good.elements[3].value);
console.log("values", JSON.stringify(u.collect(good)));
console.log("submit bad", p.submit(bad, function (t) { reports.push(t); }));
console.log(reports.join("\n---\n"));
console.log("classes", bad.elements.map(function (e) { return e.name + ":" + e.className; }).join(" "));
try {
    r.test("colour", "red");
} catch (e) {
    console.log("error", e.message);
}

var rows = [
    { label: "Train", quantity: 2, price: 59800, taxed: false },
    { label: "Hotel", quantity: "3", price: "120000", taxed: true },
    { label: "Meals", quantity: 0, price: 15000, taxed: true },
    { label: "Taxi", quantity: 1, price: 12345.67, taxed: true }
];
console.log("footer", it.footer(rows));
console.log("totals", JSON.stringify(it.totals([])));
