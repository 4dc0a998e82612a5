
/*!
 * Leave and expense request page - form script bundle.
 *
 * Built from: util.js, format.js, rules.js, items.js, page.js
 * Loaded by the request page with <script src="form-script.js"></script>;
 * also loads as a module so that its checks can run outside the page.
 */

( function ( root , factory ) {
    if ( typeof module === "object" && module.exports ) {
        module.exports = factory () ;
    } else {
        root.RequestForm = factory () ;
    }
} ( this , function () {

    /* ================================================================
       util.js - small helpers shared by the other parts
       ================================================================ */

    var util = {} ;

    // Trims blanks at both ends (the page's browser has no String.prototype.trim).
    util.trim = function ( text ) {
        return String ( text ).replace ( /^\s+/ , "" ).replace ( /\s+$/ , "" ) ;
    };

    util.hasClass = function ( element , name ) {
        return ( " " + element.className + " " ).indexOf ( " " + name + " " ) >= 0 ;
    };

    util.addClass = function ( element , name ) {
        if ( ! util.hasClass ( element , name ) ) {
            element.className = element.className ? element.className + " " + name : name ;
        }
    };

    util.removeClass = function ( element , name ) {
        var parts = element.className.split ( " " ) , kept = [] ;
        for ( var i = 0 ; i < parts.length ; i++ ) {
            if ( parts [ i ] !== name && parts [ i ] !== "" ) kept.push ( parts [ i ] ) ;
        }
        element.className = kept.join ( " " ) ;
    };

    // Attaches an event handler in both the old and the new way.
    util.listen = function ( element , type , handler ) {
        if ( element.addEventListener ) {
            element.addEventListener ( type , handler , false ) ;
        } else if ( element.attachEvent ) {
            element.attachEvent ( "on" + type , function () { return handler.call ( element , window.event ) ; } ) ;
        } else {
            element [ "on" + type ] = handler ;
        }
    };

    // The value of a form control, whatever its kind.
    util.valueOf = function ( field ) {
        switch ( field.type ) {
            case "checkbox" :
                return field.checked ? ( field.value || "on" ) : "" ;
            case "radio" :
                return field.checked ? field.value : null ;
            case "select-one" :
                return field.selectedIndex >= 0 ? field.options [ field.selectedIndex ].value : "" ;
            default :
                return util.trim ( field.value || "" ) ;
        }
    };

    // Collects name -> value over every control of the form; radio groups give their checked value.
    util.collect = function ( form ) {
        var values = {} ;
        for ( var i = 0 ; i < form.elements.length ; i++ ) {
            var field = form.elements [ i ] ;
            if ( ! field.name || field.disabled ) continue ;
            var value = util.valueOf ( field ) ;
            if ( value === null ) {
                if ( ! ( field.name in values ) ) values [ field.name ] = "" ;
            } else {
                values [ field.name ] = value ;
            }
        }
        return values ;
    };

    /* ================================================================
       format.js - how numbers, phones and dates are shown
       ================================================================ */

    var format = {} ;

    format.GROUP = "," ;
    format.POINT = "." ;

    // 1234567.891 -> "1,234,567.89"
    format.money = function ( value ) {
        var negative = value < 0 ,
            cents = Math.round ( Math.abs ( value ) * 100 ) ,
            whole = String ( Math.floor ( cents / 100 ) ) ,
            rest = cents % 100 ,
            out = "" ;
        while ( whole.length > 3 ) {
            out = format.GROUP + whole.substr ( whole.length - 3 ) + out ;
            whole = whole.substr ( 0 , whole.length - 3 ) ;
        }
        out = whole + out + format.POINT + ( rest < 10 ? "0" + rest : rest ) ;
        return ( negative ? "-" : "" ) + out ;
    };

    // "0212345678" -> "02-1234-5678", "01012345678" -> "010-1234-5678"
    format.phone = function ( text ) {
        var digits = String ( text ).replace ( /\D/g , "" ) ;
        var area = digits.substr ( 0 , 2 ) === "02" ? 2 : 3 ;
        if ( digits.length < area + 7 || digits.length > area + 8 ) {
            return text ;
        }
        var middle = digits.length - area - 4 ;
        return digits.substr ( 0 , area ) + "-" +
               digits.substr ( area , middle ) + "-" +
               digits.substr ( area + middle ) ;
    };

    format.twoDigits = function ( n ) {
        return n < 10 ? "0" + n : "" + n ;
    };

    // Accepts "2026.12.8", "2026/12/08" and "20261208"; gives "2026-12-08" or "".
    format.date = function ( text ) {
        var match = /^(\d{4})[.\/-]?(\d{1,2})[.\/-]?(\d{1,2})$/.exec ( util.trim ( text ) ) ;
        if ( ! match ) return "" ;
        var year = + match [ 1 ] , month = + match [ 2 ] , day = + match [ 3 ] ;
        var last = [ 31 , ( year % 4 === 0 && year % 100 !== 0 ) || year % 400 === 0 ? 29 : 28 ,
                     31 , 30 , 31 , 30 , 31 , 31 , 30 , 31 , 30 , 31 ] [ month - 1 ] ;
        if ( ! last || day < 1 || day > last ) return "" ;
        return year + "-" + format.twoDigits ( month ) + "-" + format.twoDigits ( day ) ;
    };

    /* ================================================================
       rules.js - what each field must hold
       ================================================================ */

    var rules = {} ;

    rules.MESSAGES = {
        required : "Please fill in this field." ,
        number   : "Please enter a number." ,
        positive : "The amount must be more than zero." ,
        phone    : "Please enter a phone number such as \"02-1234-5678\"." ,
        date     : 'Please enter a date such as 2026-12-08.' ,
        order    : "The last day can't come before the first day." ,
        reason   : 'Please say why (at least 10 characters).'
    };

    // The checks of each field, in the order they are tried.
    rules.FIELDS = {
        applicant : [ "required" ] ,
        phone     : [ "required" , "phone" ] ,
        firstDay  : [ "required" , "date" ] ,
        lastDay   : [ "required" , "date" ] ,
        reason    : [ "reason" ] ,
        advance   : [ "number" , "positive" ]
    };

    rules.test = function ( rule , value ) {
        switch ( rule ) {
            case "required" : return value !== "" ;
            case "number"   : return value === "" || ! isNaN ( + value.replace ( /,/g , "" ) ) ;
            case "positive" : return value === "" || + value.replace ( /,/g , "" ) > 0 ;
            case "phone"    : return format.phone ( value ) !== value || /^\d{2,3}-\d{3,4}-\d{4}$/.test ( value ) ;
            case "date"     : return format.date ( value ) !== "" ;
            case "reason"   : return util.trim ( value ).length >= 10 ;
            default         : throw new Error ( "unknown rule '" + rule + "'" ) ;
        }
    };

    // Every problem of the form as { field, message }; an empty list means it may be sent.
    rules.check = function ( values ) {
        var problems = [] ;
        for ( var name in rules.FIELDS ) {
            if ( ! rules.FIELDS.hasOwnProperty ( name ) ) continue ;
            var list = rules.FIELDS [ name ] ;
            for ( var i = 0 ; i < list.length ; i++ ) {
                if ( ! rules.test ( list [ i ] , values [ name ] || "" ) ) {
                    problems.push ( { field : name , message : rules.MESSAGES [ list [ i ] ] } ) ;
                    break ;     // one message per field is enough
                }
            }
        }
        var first = format.date ( values.firstDay || "" ) , last = format.date ( values.lastDay || "" ) ;
        if ( first && last && last < first ) {
            problems.push ( { field : "lastDay" , message : rules.MESSAGES.order } ) ;
        }
        return problems ;
    };

    /* ================================================================
       items.js - the expense lines table
       ================================================================ */

    var items = {} ;

    items.TAX = 0.1 ;

    // Rows are { label, quantity, price, taxed }; gives the sums the table footer shows.
    items.totals = function ( rows ) {
        var net = 0 , tax = 0 , count = 0 ;
        for ( var i = 0 ; i < rows.length ; i++ ) {
            var row = rows [ i ] ;
            var quantity = + row.quantity || 0 , price = + row.price || 0 ;
            if ( quantity === 0 ) continue ;
            var amount = quantity * price ;
            net += amount ;
            tax += row.taxed ? amount * items.TAX : 0 ;
            count++ ;
        }
        net = Math.round ( net * 100 ) / 100 ;
        tax = Math.round ( tax * 100 ) / 100 ;
        return { count : count , net : net , tax : tax , gross : net + tax } ;
    };

    items.footer = function ( rows ) {
        var sums = items.totals ( rows ) ;
        return sums.count + " line(s): " +
               format.money ( sums.net ) + " + " +
               format.money ( sums.tax ) + " tax = " +
               format.money ( sums.gross ) ;
    };

    /* ================================================================
       page.js - ties the parts to the request page
       ================================================================ */

    var page = {} ;

    page.ERROR_CLASS = "field-error" ;

    // Marks the fields with problems and gives the text of the summary box.
    page.show = function ( form , problems ) {
        var named = {} , lines = [] ;
        for ( var i = 0 ; i < problems.length ; i++ ) {
            named [ problems [ i ].field ] = true ;
            lines.push ( "- " + problems [ i ].message ) ;
        }
        for ( var j = 0 ; j < form.elements.length ; j++ ) {
            var field = form.elements [ j ] ;
            if ( named [ field.name ] ) {
                util.addClass ( field , page.ERROR_CLASS ) ;
            } else {
                util.removeClass ( field , page.ERROR_CLASS ) ;
            }
        }
        return lines.length ? "Please correct the following:\n" + lines.join ( "\n" ) : "" ;
    };

    // Tidies what the user typed: phone numbers and dates get their usual form.
    page.tidy = function ( form ) {
        for ( var i = 0 ; i < form.elements.length ; i++ ) {
            var field = form.elements [ i ] ;
            if ( field.name === "phone" ) {
                field.value = format.phone ( util.trim ( field.value ) ) ;
            } else if ( field.name === "firstDay" || field.name === "lastDay" ) {
                field.value = format.date ( field.value ) || field.value ;
            }
        }
    };

    // The submit handler: false keeps the page from sending the form.
    page.submit = function ( form , report ) {
        page.tidy ( form ) ;
        var problems = rules.check ( util.collect ( form ) ) ;
        var text = page.show ( form , problems ) ;
        if ( text !== "" ) {
            report ( text ) ;
            return false ;
        }
        return true ;
    };

    page.start = function ( document ) {
        var form = document.forms [ "request" ] ;
        if ( ! form ) return ;
        util.listen ( form , "submit" , function ( event ) {
            if ( ! page.submit ( form , function ( text ) { window.alert ( text ) ; } ) ) {
                if ( event && event.preventDefault ) event.preventDefault () ;
                else if ( event ) event.returnValue = false ;
            }
        } ) ;
    };

    if ( typeof window !== "undefined" && window.document ) {
        util.listen ( window , "load" , function () { page.start ( window.document ) ; } ) ;
    }

    return { util : util , format : format , rules : rules , items : items , page : page } ;
} ) ) ;

