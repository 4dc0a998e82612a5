WScript.Echo(1);
