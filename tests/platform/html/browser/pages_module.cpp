// A component file that carries nothing but the browser tests' pages among its resources.
extern "C" __attribute__((visibility("default"))) int QxBrowserTestPages() {
    return 102;
}
