// A file that only carries version information, standing for an installed server of the version
// its resources name.
extern "C" __attribute__((visibility("default"))) int QxVersionFixture() {
    return 0;
}
