#pragma once
// How a file name or path is shown to the user: in lists, messages and captions. Characters that
// would act on the text instead of showing (bidirectional overrides and isolates, other invisible
// format characters, control characters, line and paragraph separators) are shown as <U+XXXX>,
// and a byte that is not valid UTF-8 (carried by the path codec) is shown as \xHH. Names are kept
// as they are for opening; only what is shown goes through here.

#include <QString>

namespace lumarel {

QString visibleName(const QString& name);

}  // namespace lumarel
