// The component file is made of its static library linked whole; this file gives the shared
// library a source of its own.
namespace {
[[maybe_unused]] const int kComponentFile = 0;
}
