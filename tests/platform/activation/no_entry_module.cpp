// A shared library that loads but is no COM server: it exports no DllGetClassObject.
extern "C" __attribute__((visibility("default"))) int QxNoEntryModuleMarker() {
    return 1;
}
