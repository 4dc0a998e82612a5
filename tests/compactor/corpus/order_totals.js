

/*
 * Order totals for the purchase request form.
 *
 * Works out line amounts, discounts, tax and the grand total of an order,
 * and formats them the way the printed form shows them.
 */

var TAX_RATE    =   0.1 ;    // value added tax
var ROUNDING    =   100 ;    /* cents */
var CURRENCY    =   "KRW" ;
var SEPARATOR   =   ',' ;

// One line of the order: product code, quantity and unit price.
function OrderLine ( code , quantity , unitPrice ) {
    this.code      = code ;
    this.quantity  = quantity ;
    this.unitPrice = unitPrice ;
}

OrderLine.prototype.amount = function () {
    return this.quantity * this.unitPrice ;
};

OrderLine.prototype.describe = function () {
    return this.code + " x " + this.quantity + ' @ ' + this.unitPrice ;
};

/* Rounds to whole cents, away from zero on halves. */
function roundCents ( value ) {
    var sign = value < 0 ? -1 : 1 ;
    return sign * Math.round ( Math.abs ( value ) * ROUNDING ) / ROUNDING ;
}

// Formats 1234567.5 as "1,234,567.50".
function formatAmount ( value ) {
    var negative = value < 0 ;
    var cents    = Math.round ( Math.abs ( value ) * 100 ) ;
    var whole    = Math.floor ( cents / 100 ) ;
    var fraction = cents % 100 ;
    var digits   = String ( whole ) ;
    var grouped  = "" ;
    var count    = 0 ;
    for ( var i = digits.length - 1 ; i >= 0 ; i-- ) {
        grouped = digits.charAt ( i ) + grouped ;
        count++ ;
        if ( count % 3 === 0 && i > 0 ) {
            grouped = SEPARATOR + grouped ;
        }
    }
    var text = grouped + "." + ( fraction < 10 ? "0" : "" ) + fraction ;
    return negative ? "-" + text : text ;
}

// Quantity discounts: the larger the order, the larger the discount.
var DISCOUNT_STEPS = [
    { from : 100 , rate : 0.15 } ,
    { from :  50 , rate : 0.10 } ,
    { from :  10 , rate : 0.05 }
];

function discountRate ( quantity ) {
    for ( var i = 0 ; i < DISCOUNT_STEPS.length ; i++ ) {
        if ( quantity >= DISCOUNT_STEPS [ i ].from ) {
            return DISCOUNT_STEPS [ i ].rate ;
        }
    }
    return 0 ;
}

function Order ( number ) {
    this.number = number ;
    this.lines  = [] ;
    this.notes  = [] ;
}

Order.prototype.add = function ( line ) {
    this.lines.push ( line ) ;
    return this ;
};

Order.prototype.quantity = function () {
    var total = 0 ;
    for ( var i = 0 ; i < this.lines.length ; i++ )
        total += this.lines [ i ].quantity ;
    return total ;
};

Order.prototype.subtotal = function () {
    var sum = 0 ;
    var i = this.lines.length ;
    while ( i-- > 0 ) {
        sum = sum +
              this.lines [ i ].amount () ;
    }
    return roundCents ( sum ) ;
};

Order.prototype.discount = function () {
    return roundCents ( this.subtotal () *
                        discountRate ( this.quantity () ) ) ;
};

Order.prototype.tax = function () {
    return roundCents ( ( this.subtotal () - this.discount () ) * TAX_RATE ) ;
};

Order.prototype.total = function () {
    return this.subtotal ()
         - this.discount ()
         + this.tax () ;
};

// A returned item enters the order with a negative quantity.
Order.prototype.returnItem = function ( code , quantity , unitPrice ) {
    return this.add ( new OrderLine ( code , - quantity , unitPrice ) ) ;
};

function summary ( order ) {
    var out = [] ;
    out.push ( "Order " + order.number + " (" + CURRENCY + ")" ) ;
    for ( var i = 0 ; i < order.lines.length ; i++ ) {
        var line = order.lines [ i ] ;
        out.push ( "  " + line.describe () + " = " + formatAmount ( line.amount () ) ) ;
    }
    out.push ( "  subtotal: " + formatAmount ( order.subtotal () ) ) ;
    out.push ( "  discount: " + formatAmount ( order.discount () ) ) ;
    out.push ( "  tax:      " + formatAmount ( order.tax () ) ) ;
    out.push ( "  total:    " + formatAmount ( order.total () ) ) ;
    return out.join ( "\n" ) ;
}

var first = new Order ( "PR-2026-0001" ) ;
first.add ( new OrderLine ( "A-100" , 4 , 12500 ) )
     .add ( new OrderLine ( "B-220" , 3 , 990.5 ) )
     .add ( new OrderLine ( "C-009" , 5 , 0.25 ) ) ;
console.log ( summary ( first ) ) ;

var second = new Order ( 'PR-2026-0002' ) ;
for ( var n = 1 ; n <= 12 ; n++ ) {
    second.add ( new OrderLine ( "P-" + ( n < 10 ? "0" + n : n ) , n , n * 1000 + 0.5 ) ) ;
}
second.returnItem ( "P-03" , 2 , 3000.5 ) ;
console.log ( summary ( second ) ) ;

// Unary operators beside binary ones keep their meaning.
var a = 7 , b = 3 , c = "4" ;
var plusPlus   = a + +c ;          // 11, not "74"
var minusMinus = a - -b ;          // 10
var preIncrement = a + ++b ;       // 11, b is now 4
var postDecrement = a-- - b ;      // 3, a is now 6
console.log ( "unary:" , plusPlus , minusMinus , preIncrement , postDecrement , a , b ) ;

// A line break between two operators that would otherwise fuse.
var joinedPlus = a +
    +c ;
var joinedMinus = a -
    -b ;
var ratio = 10 /
/2/.source.length ;
console.log ( "line breaks:" , joinedPlus , joinedMinus , ratio ) ;

// Shifts, bit operators and comparisons.
var flags = ( 1 << 3 ) | ( 1 << 1 ) ;
var masked = flags & ~ 2 ;
var shifted = -16 >> 2 , unsigned = -16 >>> 28 ;
console.log ( "bits:" , flags , masked , shifted , unsigned , flags ^ 15 , a < b , a <= b , a >= b ) ;
console.log ( "logic:" , ( a > 1 && b > 1 ) , ( a > 100 || ! ( b > 100 ) ) , !! c ) ;

// Amounts typed by the user, with their own formatting.
var typed = [ " 1,250 " , "99.9" , "-5" , "abc" , "" , "3,000,000.75" ] ;
function parseTyped ( text ) {
    var cleaned = text.replace ( /,/g , "" ).replace ( /^\s+|\s+$/g , "" ) ;
    if ( cleaned === "" ) return null ;
    var value = Number ( cleaned ) ;
    return isNaN ( value ) ? null : value ;
}
for ( var t = 0 ; t < typed.length ; t++ ) {
    var parsed = parseTyped ( typed [ t ] ) ;
    console.log ( "typed [" + typed [ t ] + "] ->" , parsed === null ? "invalid" : formatAmount ( parsed ) ) ;
}

// Compound assignments.
var running = 100 ;
running += 50 ; running -= 20 ; running *= 3 ; running /= 2 ; running %= 7 ;
running <<= 2 ; running >>= 1 ; running |= 8 ; running &= 14 ; running ^= 5 ;
console.log ( "running:" , running ) ;

// Tab-indented block, as some editors save it.
function	installments	( total ,	months ) {
	var	each	=	roundCents ( total / months ) ;
	var	last	=	roundCents ( total - each * ( months - 1 ) ) ;
	var	plan	=	[] ;
	for ( var m = 1 ; m < months ; m++ ) {
		plan.push ( each ) ;
	}
	plan.push ( last ) ;
	return	plan ;
}
console.log ( "installments:" , installments ( first.total () , 3 ).join ( " / " ) ) ;
console.log ( "installments:" , installments ( 100 , 7 ).join ( " / " ) ) ;

// Strings that hold comment markers, operators and runs of blanks stay as written.
var remarks = [
    "see http://example.invalid/orders  -- not a comment" ,
    'a /* b */ c' ,
    "x  =  y  +  z ;" ,
    'it\'s "quoted"' ,
    "C:\\orders\\" ,
    "tab\there"
];
for ( var r = 0 ; r < remarks.length ; r++ ) {
    console.log ( "remark " + r + ": [" + remarks [ r ] + "]" , remarks [ r ].length ) ;
}

var table = { "A-100" : "Stapler" , 'B-220' : "Paper" , "C-009" : 'Clip' } ;
var keys = [] ;
for ( var key in table ) {
    if ( table.hasOwnProperty ( key ) ) keys.push ( key + "=" + table [ key ] ) ;
}
console.log ( keys.join ( "; " ) ) ;
console.log ( "has A-100:" , "A-100" in table , 'Z' in table ) ;
console.log ( "orders:" , [ first.number , second.number ].join ( " and " ) )


