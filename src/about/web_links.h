#pragma once
// The project's own web pages, shown in the about window. Change them here only: each link
// label shows and opens the same address.

#include <QString>

namespace lumarel {

inline const QString kProgramPageAddress = QStringLiteral("https://lumarel.github.io/");      // Label2
inline const QString kSponsorPageAddress = QStringLiteral("https://github.com/lumarel/lumarel");  // Label3
inline const QString kMakerPageAddress = QStringLiteral("https://github.com/lumarel");         // Label4
// Where comments and error reports go (named in the about window's fixed line).
inline const QString kIssueTrackerAddress = QStringLiteral("https://github.com/lumarel/lumarel/issues");

}  // namespace lumarel
