// The Continue/Abort and internal-error dialogs.
#include "gui/error_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

#include "convert/error_tables.h"

namespace {

QLabel* error_icon(QWidget* parent) {
    auto* icon = new QLabel(parent);
    icon->setPixmap(parent->style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    return icon;
}

QLabel* message_label(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName("1320");
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(360);
    return label;
}

QPushButton* button(const QString& text, const char* id, QWidget* parent) {
    auto* pushed = new QPushButton(text, parent);
    pushed->setObjectName(id);
    pushed->setAutoDefault(false);
    return pushed;
}

}  // namespace

continue_dialog::continue_dialog(const QString& title, const QString& text, QWidget* parent) : QDialog(parent) {
    setObjectName("115");
    setWindowTitle(title);
    auto* text_column = new QVBoxLayout;
    text_column->addWidget(message_label(text, this));
    do_not_show_ = new QCheckBox(tr("&Do not show this dialog box again"), this);
    do_not_show_->setObjectName("1222");
    text_column->addWidget(do_not_show_);
    auto* buttons = new QHBoxLayout;
    QPushButton* continue_button = button(tr("&Continue"), "2", this);
    QPushButton* abort_button = button(tr("&Abort"), "1", this);
    continue_button->setDefault(true);
    buttons->addWidget(continue_button);
    buttons->addWidget(abort_button);
    buttons->addStretch();
    text_column->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(error_icon(this));
    layout->addLayout(text_column);
    connect(continue_button, &QPushButton::clicked, this, [this] {
        continue_run_ = true;
        accept();
    });
    connect(abort_button, &QPushButton::clicked, this, [this] {
        continue_run_ = false;
        accept();
    });
}

continue_choice continue_dialog::choice() const {
    // Closing the window is not a choice to abort: the run goes on, as with Continue.
    return {continue_run_, do_not_show_->isChecked()};
}

internal_error_dialog::internal_error_dialog(const QString& title, const QString& text, const QString& program_title,
                                             QWidget* parent)
    : QDialog(parent), text_(text), program_title_(program_title) {
    setObjectName("114");
    setWindowTitle(title);
    auto* text_column = new QVBoxLayout;
    text_column->addWidget(message_label(text, this));
    auto* buttons = new QHBoxLayout;
    QPushButton* send = button(tr("Send &bug"), "1112", this);
    QPushButton* ok = button(tr("&OK"), "1", this);
    QPushButton* copy = button(tr("&Copy to clipboard"), "1108", this);
    send->setDefault(true);
    buttons->addWidget(send);
    buttons->addWidget(ok);
    buttons->addWidget(copy);
    buttons->addStretch();
    text_column->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(error_icon(this));
    layout->addLayout(text_column);
    connect(send, &QPushButton::clicked, this, &internal_error_dialog::send_bug);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(copy, &QPushButton::clicked, this, [this] {
        QApplication::clipboard()->setText(text_);
        done(1108);
    });
}

void internal_error_dialog::send_bug() {
    // The desktop's mail program takes the report; the dialog stays for Copy or OK.
    QUrl mail(QStringLiteral("mailto:") + QString::fromUtf8(support_address));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), tr("Bug report: %1").arg(program_title_));
    query.addQueryItem(QStringLiteral("body"), text_);
    mail.setQuery(query);
    QDesktopServices::openUrl(mail);
}
