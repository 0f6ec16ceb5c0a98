#pragma once

// Encryption and decryption of whole streams read strictly in order (a pipe, standard input) into an
// output written in order (a pipe, standard output, or a new file the caller names): the .zrk layout
// byte for byte as the file jobs write it, with no temporary file. Compressed contents are deflated
// and enciphered as they come, and inflated as they are deciphered.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/container/ZarkentStream.h"

namespace zarkent {

// Encrypts everything `input` gives into the .zrk layout on `output`: the check block, `storedName`
// enciphered, the compression marks and the payload, deflated when context.compressOption is set. The
// bytes are those EncryptOneFile writes for the same contents, name and password. `sizeHint` is the
// input's size, when known, for the progress (0: none is reported). The output is not flushed to the
// disk. Returns false when cancelled (the output then holds an unfinished stream). Throws ZarkentError.
bool EncryptStream(File& input, File& output, std::string_view storedName, std::string_view password,
                   const StreamContext& context, std::uint64_t sizeHint = 0);

struct StreamResult {
    std::string storedName; // as read from the stream, not made plain
    bool compressed = false;
    bool cancelled = false;
};

// Decrypts the .zrk layout that `input` gives into its contents on `output`; with no output (a test)
// nothing is written, compressed contents are still inflated to check their stream and checksum, and
// stored contents, which carry no checksum, are not read at all. `head` holds bytes the caller already
// read from the start of the input (to look for armour): they are taken first. Throws ZarkentError:
// DamagedFile "Stream read error" when the input is too short for the layout, "data error" for broken
// compressed contents or bytes after their end; WrongPassword when the check block does not match. The
// compression flag is read as the file path reads it: its second copy, 0xFF compressed, anything else stored.
StreamResult DecryptStream(File& input, File* output, std::string_view password, const StreamContext& context,
                           std::uint64_t sizeHint = 0, std::string_view head = {});

} // namespace zarkent
