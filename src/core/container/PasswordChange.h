#pragma once

// Changing the password of a .zrk file in place: the only operation of the program that replaces a
// file, and so the one that does it in a single step.

#include <string>
#include <string_view>

#include "core/container/ZarkentStream.h"

namespace zarkent {

// Changes the password of the .zrk file at `path` from `oldPassword` to `newPassword`. The check block is
// read first (a wrong password throws WrongPasswordMarker, a file too short for it or with compression
// marks that are not a matching pair throws DamagedFile); the new file then gets the check block of the new
// password, the stored name deciphered with the old one and enciphered with the new, the same compression
// marks, and the payload deciphered and enciphered again block by block in memory (compressed contents keep
// their zlib bytes): byte for byte what encrypting the same contents with the new password gives. It is
// written beside the old one without a name where the system allows it, given the old one's permissions,
// flushed, linked under a temporary name, and exchanged with the old name in one step once the name is seen
// to lead still to the very file that was read; the temporary name, which then holds the old file, is
// removed. Any failure before the exchange leaves the old file as it was and removes what was made.
//
// Returns false when `context.cancelRequested` stopped the work (nothing was changed). `context.durable` is
// not consulted: the new file is always on the disk before it replaces the old one.
bool ChangePassword(const std::string& path, std::string_view oldPassword, std::string_view newPassword,
                    const StreamContext& context = {});

} // namespace zarkent
