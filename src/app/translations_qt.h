#pragma once
// Russian for Qt's own texts (the buttons of message boxes, file dialogs, the context menus of
// text boxes), from the translations installed with Qt.

class QCoreApplication;
class QTranslator;

namespace app {

// Loads "qtbase_ru" from Qt's translations folder and installs it into `application`, which
// owns it. Null when the file is not installed; Qt's texts then stay English.
QTranslator* installQtTranslations(QCoreApplication& application);

} // namespace app
