"""The interface generator: descriptions in, C++ headers out (see ../README.md)."""
