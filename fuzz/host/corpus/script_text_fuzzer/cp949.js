WScript.Echo('ÈÞ°¡');
