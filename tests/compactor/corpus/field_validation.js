// Field checks of the leave request form: every rule the form applies before it is sent,
// run here over a set of sample entries.

/* ------------------------------------------------------------------
   Rules
   ------------------------------------------------------------------ */

var RULES = {
    "required" : function ( value ) { return value !== null && value !== undefined && value !== "" ; } ,
    "digits"   : function ( value ) { return /^\d+$/.test ( value ) ; } ,
    "phone"    : function ( value ) { return /^0\d{1,2}-\d{3,4}-\d{4}$/.test ( value ) ; } ,
    "email"    : function ( value ) { return /^[\w.+-]+@[\w-]+(\.[\w-]+)+$/.test ( value ) ; } ,
    "date"     : function ( value ) { return parseDate ( value ) !== null ; } ,
    'code'     : function ( value ) { return /^[A-Z]{2}-\d{4}$/.test ( value ) ; }
};

var MESSAGES = {
    required : "This field is required." ,
    digits   : 'Only digits, please.' ,
    phone    : "Phone numbers look like \"02-123-4567\"." ,
    email    : 'That doesn\'t look like an e-mail address.' ,
    date     : "Dates are written YYYY-MM-DD." ,
    code     : "Codes are two capitals, a dash and four digits." ,
    range    : "The end date comes before the start date." ,
    days     : "No more than 15 working days at a time."
};

// Days in each month; February is corrected for leap years.
var MONTH_DAYS = [ 31 , 28 , 31 , 30 , 31 , 30 , 31 , 31 , 30 , 31 , 30 , 31 ] ;

function isLeapYear ( year ) {
    return ( year % 4 === 0 && year % 100 !== 0 ) || year % 400 === 0 ;
}

// "2026-12-08" -> { year: 2026, month: 12, day: 8 }, or null.
function parseDate ( text ) {
    var match = /^(\d{4})-(\d{2})-(\d{2})$/.exec ( text ) ;
    if ( ! match ) {
        return null ;
    }
    var year  = parseInt ( match [ 1 ] , 10 ) ,
        month = parseInt ( match [ 2 ] , 10 ) ,
        day   = parseInt ( match [ 3 ] , 10 ) ;
    if ( month < 1 || month > 12 ) return null ;
    var limit = MONTH_DAYS [ month - 1 ] + ( month === 2 && isLeapYear ( year ) ? 1 : 0 ) ;
    if ( day < 1 || day > limit ) return null ;
    return { year : year , month : month , day : day } ;
}

// Days since 1970-01-01, counted by hand so that no time zone comes into it.
function dayNumber ( date ) {
    var days = 0 ;
    for ( var y = 1970 ; y < date.year ; y++ ) {
        days += isLeapYear ( y ) ? 366 : 365 ;
    }
    for ( var m = 1 ; m < date.month ; m++ ) {
        days += MONTH_DAYS [ m - 1 ] + ( m === 2 && isLeapYear ( date.year ) ? 1 : 0 ) ;
    }
    return days + date.day - 1 ;
}

// 0 = Thursday (1970-01-01); Saturday and Sunday do not count.
function workingDays ( from , to ) {
    var count = 0 ;
    for ( var d = dayNumber ( from ) ; d <= dayNumber ( to ) ; d++ ) {
        var weekday = ( d + 4 ) % 7 ;      /* 0 = Sunday */
        if ( weekday !== 0 && weekday !== 6 ) {
            count++ ;
        }
    }
    return count ;
}

/* ------------------------------------------------------------------
   The form's fields
   ------------------------------------------------------------------ */

var FIELDS = [
    { name : "employee" , label : "Employee number" , rules : [ "required" , "digits" ] } ,
    { name : "email"    , label : "E-mail"          , rules : [ "required" , "email" ] } ,
    { name : "phone"    , label : "Phone"           , rules : [ "phone" ] } ,
    { name : "dept"     , label : "Department code" , rules : [ "required" , "code" ] } ,
    { name : "from"     , label : "First day"       , rules : [ "required" , "date" ] } ,
    { name : "to"       , label : "Last day"        , rules : [ "required" , "date" ] }
];

function checkField ( field , value ) {
    var problems = [] ;
    for ( var i = 0 ; i < field.rules.length ; i++ ) {
        var rule = field.rules [ i ] ;
        // An empty optional field passes every other rule.
        if ( rule !== "required" && ( value === "" || value === undefined ) ) {
            continue ;
        }
        if ( ! RULES [ rule ] ( value ) ) {
            problems.push ( field.label + ": " + MESSAGES [ rule ] ) ;
            if ( rule === "required" ) break ;
        }
    }
    return problems ;
}

function checkEntry ( entry ) {
    var problems = [] ;
    for ( var i = 0 ; i < FIELDS.length ; i++ ) {
        problems = problems.concat ( checkField ( FIELDS [ i ] , entry [ FIELDS [ i ].name ] ) ) ;
    }
    var from = parseDate ( entry.from ) , to = parseDate ( entry.to ) ;
    if ( from && to ) {
        if ( dayNumber ( to ) < dayNumber ( from ) ) {
            problems.push ( MESSAGES.range ) ;
        } else if ( workingDays ( from , to ) > 15 ) {
            problems.push ( MESSAGES [ "days" ] ) ;
        }
    }
    return problems ;
}

function describe ( level ) {
    switch ( level ) {
        case 0 :
            return "clean" ;
        case 1 :
        case 2 :
            return "minor" ;
        default :
            return "serious" ;
    }
}

/* ------------------------------------------------------------------
   Sample entries
   ------------------------------------------------------------------ */

var ENTRIES = [
    { employee : "100234" , email : "kim.minsu@example.invalid" , phone : "02-123-4567" ,
      dept : "HR-0042" , from : "2026-12-21" , to : "2026-12-24" } ,
    { employee : "" , email : "nobody" , phone : "12345" ,
      dept : "hr-42" , from : "2026-02-30" , to : "2026-03-01" } ,
    { employee : "77a" , email : "lee+forms@mail.example.invalid" , phone : "" ,
      dept : "IT-1000" , from : "2024-02-29" , to : "2024-02-28" } ,
    { employee : "5" , email : "park@example.invalid" , phone : "031-9876-5432" ,
      dept : "FN-2026" , from : "2026-01-01" , to : "2026-02-27" }
];

var serious = 0 ;
for ( var e = 0 ; e < ENTRIES.length ; e++ ) {
    var problems = checkEntry ( ENTRIES [ e ] ) ;
    console.log ( "entry " + e + ": " + describe ( problems.length ) + " (" + problems.length + ")" ) ;
    for ( var p = 0 ; p < problems.length ; p++ ) {
        console.log ( "    - " + problems [ p ] ) ;
    }
    serious += problems.length > 2 ? 1 : 0 ;
}
console.log ( "serious entries:" , serious ) ;

// Dates and their week days.
var samples = [ "1970-01-01" , "2000-02-29" , "2026-12-08" , "2100-02-29" , "2026-13-01" ] ;
for ( var s = 0 ; s < samples.length ; s++ ) {
    var date = parseDate ( samples [ s ] ) ;
    console.log ( samples [ s ] , date ? dayNumber ( date ) + " " + [ "Sun" , "Mon" , "Tue" , "Wed" , "Thu" , "Fri" , "Sat" ] [ ( dayNumber ( date ) + 4 ) % 7 ] : "invalid" ) ;
}
console.log ( "working days in December 2026:" ,
              workingDays ( parseDate ( "2026-12-01" ) , parseDate ( "2026-12-31" ) ) ) ;

// Messages with quotes of both kinds and escapes survive whole.
for ( var key in MESSAGES ) {
    console.log ( key + " => " + MESSAGES [ key ] ) ;
}

// Errors thrown by a rule are caught and reported.
function safely ( rule , value ) {
    try {
        if ( typeof RULES [ rule ] !== "function" ) {
            throw new Error ( "no rule named '" + rule + "'" ) ;
        }
        return RULES [ rule ] ( value ) ? "ok" : "fails" ;
    } catch ( problem ) {
        return "error: " + problem.message ;
    } finally {
        safely.calls = ( safely.calls || 0 ) + 1 ;
    }
}
console.log ( safely ( "digits" , "123" ) , safely ( "digits" , "12x" ) , safely ( "colour" , "red" ) , safely.calls ) ;

// A do-while loop and a labelled continue over a grid of rule results.
var grid = [] , row = 0 ;
do {
    grid.push ( [] ) ;
    row++ ;
} while ( row < 3 ) ;
outer :
for ( var i = 0 ; i < grid.length ; i++ ) {
    for ( var j = 0 ; j < 4 ; j++ ) {
        if ( j > i + 1 ) continue outer ;
        grid [ i ].push ( i * 10 + j ) ;
    }
}
console.log ( JSON.stringify ( grid ) ) ;

// Field names that happen to look like operators or comments.
var odd = { "a+b" : 1 , "c--" : 2 , "/*x*/" : 3 , "//y" : 4 , 'q"r' : 5 , "s't" : 6 } ;
var names = [] ;
for ( var name in odd ) names.push ( name + ":" + odd [ name ] ) ;
console.log ( names.join ( " | " ) ) ;
console.log ( "void:" , void 0 , typeof undefined , typeof null , typeof {} , typeof [] , typeof "" ) ;
delete odd [ "a+b" ] ;
console.log ( "after delete:" , "a+b" in odd , Object.keys ( odd ).length ) ;
console.log ( "instanceof:" , grid instanceof Array , odd instanceof Array , new Error ( "x" ) instanceof Error ) ;
console.log ( "checked" , ENTRIES.length , "entries" )   

  
