
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
            var value = util.valueOf 