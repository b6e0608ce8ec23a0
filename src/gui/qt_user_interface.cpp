// Message boxes, the error dialogs and help, on the GUI thread whoever asks.
#include "gui/qt_user_interface.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QUrl>

#include "gui/error_dialogs.h"
#include "gui/gui_thread.h"
#include "gui/help_location.h"
#include "toolkit/log.h"
#include "wizard/wizard_pages.h"

namespace {

QString from_utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// A box as narrow as a short text would cut its caption in the title bar ("Sprand...ssage"):
// it is made wide enough for the caption, the window manager's buttons beside it included.
void make_room_for_caption(QMessageBox& box) {
    constexpr int title_bar_extra = 160;  // icon, buttons and margins of a common title bar
    QFont bold = box.font();
    bold.setBold(true);  // title bars often are
    const int width = QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + title_bar_extra;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

}  // namespace

std::string qt_user_interface::title() const { return wizard_title(); }

QString qt_user_interface::caption(const char* kind) const {
    // Before the wizard is up a box has no owner and a plain caption.
    const QString word = QCoreApplication::translate("qt_user_interface", kind);
    return owner_ != nullptr ? from_utf8(title()) + ' ' + word : word;
}

void qt_user_interface::error(const std::string& text) {
    TK_LOG(2, "%s(%s)", __func__, text.c_str());
    on_gui_thread([&] {
        QMessageBox box(QMessageBox::Critical, caption("Error"), from_utf8(text), QMessageBox::Ok, owner_);
        box.setObjectName("error_box");
        make_room_for_caption(box);
        box.exec();
        give_focus_back();
    });
    TK_LOG(3, "%s", text.c_str());
}

void qt_user_interface::message(const std::string& text) {
    TK_LOG(2, "%s(%s)", __func__, text.c_str());
    on_gui_thread([&] {
        QMessageBox box(QMessageBox::Information, caption("Message"), from_utf8(text), QMessageBox::Ok, owner_);
        box.setObjectName("message_box");
        make_room_for_caption(box);
        box.exec();
        give_focus_back();
    });
    TK_LOG(3, "%s", text.c_str());
}

bool qt_user_interface::question(const std::string& text) {
    return on_gui_thread([&] {
        QMessageBox box(QMessageBox::Question, caption("Question"), from_utf8(text),
                        QMessageBox::Yes | QMessageBox::No, owner_);
        box.setObjectName("question_box");
        make_room_for_caption(box);
        box.setDefaultButton(QMessageBox::No);  // a hasty Enter must not overwrite or leave
        box.setEscapeButton(QMessageBox::No);
        open_question_ = &box;
        const bool yes = box.exec() == QMessageBox::Yes;
        give_focus_back();
        return yes;
    });
}

void qt_user_interface::give_focus_back() {
    // The window manager need not activate the wizard again when a box closes; the
    // keyboard would then reach no field at all.
    if (owner_ != nullptr) owner_->activateWindow();
}

void qt_user_interface::dismiss_question() {
    if (open_question_) open_question_->button(QMessageBox::No)->click();
}

continue_choice qt_user_interface::continue_or_abort(const std::string& dialog_title, const std::string& text) {
    return on_gui_thread([&] {
        continue_dialog dialog(from_utf8(dialog_title), from_utf8(text), owner_);
        dialog.exec();
        give_focus_back();
        return dialog.choice();
    });
}

void qt_user_interface::internal_error(const std::string& dialog_title, const std::string& text) {
    on_gui_thread([&] {
        internal_error_dialog dialog(from_utf8(dialog_title), from_utf8(text), from_utf8(title()), owner_);
        dialog.exec();
    });
}

void qt_user_interface::write_log(const std::string& line) {
    TK_LOG(2, "%s(%s)", __func__, line.c_str());
    on_gui_thread([&] {
        if (log_sink) log_sink(from_utf8(line));
        else TK_LOG(1, "Editbox failed to be initialized");
    });
}

void qt_user_interface::display_help(int topic) {
    TK_LOG(2, "%s(%d)", __func__, topic);
    const QString path = help_folder(QCoreApplication::applicationDirPath()) + '/' + help_page_name(topic);
    if (!QFileInfo(path).isReadable()) {
        error("Help file does not exist. Reinstall the program.");
        return;
    }
    const QUrl address = QUrl::fromLocalFile(path);
    if (open_url) open_url(address);
    else QDesktopServices::openUrl(address);
}
