// Key names that the settings file's text form can carry.
#pragma once

#include <string>
#include <string_view>

namespace settings {

// The key under which a per-mailbox value is stored. A mailbox string that
// the file's line form cannot hold as it is — one with "=", a carriage
// return or a line feed, one that begins with "[" (read back as a section),
// or one with blanks or tabs at either end (trimmed on reading, so it would
// share another key's value) — is stored with those bytes, and "%", written
// as "%XX" in hexadecimal. (A plain string that already reads like such an
// escape, "a%3Db", shares its key with "a=b".) Every other string is its own key, byte for byte,
// so files written before stay valid. None of these bytes can be the second
// byte of a Shift-JIS character, so the escaping never splits one.
std::string MailBoxKey(std::string_view mailbox);

} // namespace settings
