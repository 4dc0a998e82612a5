// Helpers of the MIME library tests: structure dumps in the form the Python peer writes, and
// calls of the peer script.
#pragma once

#include <ostream>
#include <string>

#include "mime_entity.h"
#include "mime_string.h"

// Lets GoogleTest print byte strings in failure messages.
void PrintTo(const MimeString& text, std::ostream* out);

std::string Hex(std::string_view bytes);
std::string Hex(const MimeString& bytes);
// "entity N", "field name: hex", "type t/s", "param a=hex", "preamble hex", "epilogue hex",
// "body hex" (decoded by the transfer encoding), one a line, as mime_peer.py dumps.
std::string DumpEntity(MimeEntity& entity, int depth = 0);
// Parses text as a message and dumps it.
std::string ParseAndDump(const MimeString& text);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);
// Runs "mime_peer.py command in out" on input; returns the exit code and fills output.
int RunPeer(const std::string& command, std::string_view input, std::string* output);
// Asks the peer to write the named message: the message bytes and the peer's dump of it.
int PeerWrite(const std::string& name, std::string* message, std::string* dump);
// A pseudo-random byte string (fixed seed per call site).
std::string RandomBytes(size_t n, unsigned seed);
