#pragma once
// The converter runner of the program: QProcess with an argument list, one run after another,
// each waited for to its end. With a parent window it shows a modal progress dialog for the
// whole pass, so the program never looks hung while nothing can be edited; without one it
// hands one progress line per run to a callback (headless publishing prints it).
// Lives on the user interface thread for the length of one media pass.

#include "publish/media_pass.h"

#include <QPointer>
#include <QProgressDialog>

#include <functional>
#include <string>

class QWidget;

namespace publish {

class QtProcessRunner : public ProcessRunner {
  public:
    // `dialogParent`: the window the progress dialog is modal over, or null for no dialog.
    // `progressLine`: receives a line per run when there is no dialog; may be empty.
    QtProcessRunner(QWidget* dialogParent, std::function<void(const std::string&)> progressLine);
    ~QtProcessRunner() override;

    // Shows which run is about to start: in the dialog, or as a line.
    void showProgress(const ConversionProgress& progress);

    int run(const std::string& program, const std::vector<std::string>& args,
            const std::string& outputFile) override;

    // The dialog while it is shown; null before the first run and without a parent.
    QProgressDialog* dialog() const { return m_dialog.data(); }

  private:
    QPointer<QWidget> m_parent;
    std::function<void(const std::string&)> m_progressLine;
    QPointer<QProgressDialog> m_dialog; // owned by the parent window, removed at the end
};

} // namespace publish
