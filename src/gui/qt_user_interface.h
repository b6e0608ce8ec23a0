// The wizard's face of the user-interface seam: Qt message boxes and the two error dialogs.
// A call from a worker thread waits on a queued call into the GUI thread.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <functional>

#include "convert/user_interface.h"

class QUrl;
class QWidget;

class qt_user_interface : public user_interface {
public:
    qt_user_interface() = default;

    std::string title() const override;
    void error(const std::string& text) override;
    void message(const std::string& text) override;
    bool question(const std::string& text) override;
    // Answers No to the question box that is open, if any: the run it asked about has ended.
    void dismiss_question();
    continue_choice continue_or_abort(const std::string& dialog_title, const std::string& text) override;
    void internal_error(const std::string& dialog_title, const std::string& text) override;
    void write_log(const std::string& line) override;

    // Once the wizard has shown its first page, boxes carry its title and belong to it.
    void set_owner(QWidget* wizard) { owner_ = wizard; }
    // Where write_log's lines go while a page with a log box is current; empty: only the log.
    std::function<void(const QString&)> log_sink;
    // Opens the help page of a topic (0 or less: the index); a missing page is an error box.
    void display_help(int topic);
    // Opens an address with the desktop (help pages, the maker's site, the workbook on exit);
    // tests replace it so nothing starts outside the test.
    std::function<void(const QUrl&)> open_url;

private:
    QString caption(const char* kind) const;
    void give_focus_back();
    QWidget* owner_ = nullptr;
    QPointer<QMessageBox> open_question_;
};
