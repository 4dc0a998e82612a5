// The shared platform library is made of the static pieces linked whole; this file only gives
// the library a source of its own.
namespace qx {
extern const char kPlatformLibraryName[] = "qxplatform";
}
