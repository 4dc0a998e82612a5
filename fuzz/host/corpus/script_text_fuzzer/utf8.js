WScript.Echo('휴');
