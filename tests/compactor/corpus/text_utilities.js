    /**
     * Text helpers of the form pages: padding, escaping, a small CSV reader,
     * a string builder and a fill-in-the-blanks template.
     */

"use strict" ;

var Text = ( function () {

    // Pads on the left to the given width.
    function padLeft ( text , width , fill ) {
        text = String ( text ) ;
        fill = fill === undefined ? " " : fill ;
        while ( text.length < width ) {
            text = fill + text ;
        }
        return text ;
    }

    function padRight ( text , width , fill ) {
        text = String ( text ) ;
        while ( text.length < width ) text += ( fill || " " ) ;
        return text ;
    }

    var ENTITIES = { "&" : "&amp;" , "<" : "&lt;" , ">" : "&gt;" , '"' : "&quot;" , "'" : "&#39;" } ;

    function escapeHtml ( text ) {
        var out = "" ;
        for ( var i = 0 ; i < text.length ; i++ ) {
            var c = text.charAt ( i ) ;
            out += ENTITIES.hasOwnProperty ( c ) ? ENTITIES [ c ] : c ;
        }
        return out ;
    }

    // Splits one CSV line; fields may be quoted with "..." and hold "" for a quote.
    function splitCsv ( line ) {
        var fields = [] , field = "" , quoted = false ;
        for ( var i = 0 ; i < line.length ; i++ ) {
            var c = line.charAt ( i ) ;
            if ( quoted ) {
                if ( c === '"' && line.charAt ( i + 1 ) === '"' ) {
                    field += '"' ;
                    i++ ;
                } else if ( c === '"' ) {
                    quoted = false ;
                } else {
                    field += c ;
                }
            } else if ( c === '"' ) {
                quoted = true ;
            } else if ( c === "," ) {
                fields.push ( field ) ;
                field = "" ;
            } else {
                field += c ;
            }
        }
        fields.push ( field ) ;
        return fields ;
    }

    // Collects pieces and joins them once at the end.
    function Builder () {
        this.parts = [] ;
    }
    Builder.prototype = {
        append : function ( text ) {
            this.parts [ this.parts.length ] = text ;
            return this ;
        } ,
        line : function ( text ) {
            return this.append ( ( text || "" ) + "\n" ) ;
        } ,
        toString : function () {
            return this.parts.join ( "" ) ;
        }
    };

    // "Dear {name}, ..." with the values of an object; {{ gives a brace.
    function fill ( template , values ) {
        var out = new Builder () , i = 0 ;
        while ( i < template.length ) {
            var c = template.charAt ( i ) ;
            if ( c === "{" && template.charAt ( i + 1 ) === "{" ) {
                out.append ( "{" ) ;
                i += 2 ;
            } else if ( c === "{" ) {
                var close = template.indexOf ( "}" , i ) ;
                var key = template.substring ( i + 1 , close ) ;
                out.append ( key in values ? String ( values [ key ] ) : "?" + key + "?" ) ;
                i = close + 1 ;
            } else {
                out.append ( c ) ;
                i++ ;
            }
        }
        return out.toString () ;
    }

    // Word wrap at a width, never breaking a word.
    function wrap ( text , width ) {
        var words = text.split ( /\s+/ ) , lines = [] , current = "" ;
        for ( var i = 0 ; i < words.length ; i++ ) {
            if ( current.length > 0 && current.length + 1 + words [ i ].length > width ) {
                lines.push ( current ) ;
                current = words [ i ] ;
            } else {
                current = current.length > 0 ? current + " " + words [ i ] : words [ i ] ;
            }
        }
        if ( current.length > 0 ) lines.push ( current ) ;
        return lines ;
    }

    // A counter made by a closure.
    function counter ( start ) {
        var value = start ;
        return {
            next : function () { return ++value ; } ,
            back : function () { return --value ; } ,
            peek : function () { return value ; }
        };
    }

    // Recursion: the nested fields of a form group, flattened to "a.b.c" names.
    function flatten ( object , prefix , into ) {
        into = into || {} ;
        for ( var key in object ) {
            var name = prefix ? prefix + "." + key : key ;
            if ( object [ key ] !== null && typeof object [ key ] === "object" ) {
                flatten ( object [ key ] , name , into ) ;
            } else {
                into [ name ] = object [ key ] ;
            }
        }
        return into ;
    }

    return {
        padLeft : padLeft , padRight : padRight , escapeHtml : escapeHtml , splitCsv : splitCsv ,
        Builder : Builder , fill : fill , wrap : wrap , counter : counter , flatten : flatten
    };
} () ) ;

console.log ( "[" + Text.padLeft ( 42 , 6 ) + "]" , "[" + Text.padLeft ( 7 , 3 , "0" ) + "]" , "[" + Text.padRight ( "ab" , 5 , "." ) + "]" ) ;
console.log ( Text.escapeHtml ( "<b class=\"x\">Tom & Jerry's</b>" ) ) ;

var csv = [
    'name,amount,remark' ,
    '"Kim, Minsu",1200,"said ""hello"""' ,
    "Lee,-30,  spaced  out  " ,
    '"",0,"a // b /* c */"'
];
for ( var i = 0 ; i < csv.length ; i++ ) {
    var fields = Text.splitCsv ( csv [ i ] ) ;
    console.log ( fields.length + ": " + JSON.stringify ( fields ) ) ;
}

var letter = new Text.Builder () ;
letter.line ( Text.fill ( "Dear {name}," , { name : "Ms. Park" } ) )
      .line ()
      .line ( Text.fill ( "Your request {id} for {days} day(s) is {state}. {{ref: {ref}}" ,
                          { id : "LR-77" , days : 3 , state : "approved" } ) )
      .append ( "Regards" ) ;
console.log ( letter.toString () ) ;

var paragraph = "The form processor keeps the fields of the document in order and checks "   +
                "each of them before the document is saved, so that a missing value is "      +
                "caught while the person who filled in the form is still at the desk." ;
var wrapped = Text.wrap ( paragraph , 32 ) ;
for ( var w = 0 ; w < wrapped.length ; w++ ) {
    console.log ( "|" + Text.padRight ( wrapped [ w ] , 32 ) + "|" ) ;
}

var tickets = Text.counter ( 100 ) ;
tickets.next () ; tickets.next () ; tickets.back () ;
console.log ( "ticket:" , tickets.peek () , tickets.next () ) ;

var group = { applicant : { name : "Choi" , contact : { phone : "010-1111-2222" , email : null } } ,
              period : { from : "2026-12-21" , to : "2026-12-24" } , urgent : false } ;
var flat = Text.flatten ( group ) ;
var flatNames = [] ;
for ( var n in flat ) flatNames.push ( n + "=" + flat [ n ] ) ;
console.log ( flatNames.join ( "\n" ) ) ;

// A string continued on the next line with a backslash, and escapes of every kind.
var continued = "first half, \
second half" ;
console.log ( continued ) ;
console.log ( "quote \" apostrophe \' backslash \\ tab \t end" ) ;
console.log ( 'back\\' + "slash\\" , 'x' + 'y' , "a" + 'b' ) ;
console.log ( "\u00e9t\u00e9 " + "\x41\x42" , "한글 텍스트" , '日本語' ) ;

// Sorting with a comparison function and the comma operator.
var people = [ "Yoon" , "ahn" , "Baek" , "cho" , "Do" ] ;
people.sort ( function ( a , b ) {
    var x = a.toLowerCase () , y = b.toLowerCase () ;
    return x < y ? -1 : x > y ? 1 : 0 ;
} ) ;
var k , total ;
for ( k = 0 , total = 0 ; k < people.length ; k++ , total += people [ k - 1 ].length ) {}
console.log ( people.join ( "," ) , total ) ;

// Numbers written in several ways.
console.log ( 0x1F , 1e3 , 2.5e-1 , .5 + .25 , 5. + 1 , - 3 + - - 3 , + "12" + + "3" ) ;
var big = 1 , count = 0 ;
while ( big < 1e6 ) { big = big * 2 ; count += 1 ; }
console.log ( "doublings:" , count , big ) ;
console.log ( [ 1 , 2 , 3 ].map ( function ( v ) { return v * v ; } ).join ( "-" ) )
    
    	
