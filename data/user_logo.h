// The current user's logo switch (`lLogo` of the start folder's `Usuarios`): whether the main
// window shows the maker's logo behind its client area.
#pragma once

namespace data {

// LSWLOGO: the identified user's `lLogo` becomes true with `force`, stays as stored with
// `keep`, and is switched over otherwise; it is written under the record's lock (a refused
// lock writes nothing) and the main window repainted. The value it has afterwards; false
// when the user is not in the table.
bool lSwLogo(bool keep = false, bool force = false);

// Registers LSWLOGO.
void RegisterUserLogo();

}  // namespace data
