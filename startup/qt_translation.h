#pragma once

#include <QString>

class QCoreApplication;

namespace kestrel {

// Installs Qt's own Polish translation (qtbase_pl.qm) in `app`: the standard dialogs' buttons
// and labels, Qt's built-in texts and the reasons Qt gives for file errors become Polish. Looks
// in `directory`, by default Qt's translations folder. A missing file is no error: the program
// then runs in whatever language Qt falls back to, and the call returns false.
bool installQtPolishTranslation(QCoreApplication& app, const QString& directory = {});

} // namespace kestrel
