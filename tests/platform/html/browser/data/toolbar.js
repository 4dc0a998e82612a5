var shared = "from toolbar.js";
