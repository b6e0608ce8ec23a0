// The welcome and connection pages.
#include "gui/intro_pages.h"

#include <QApplication>
#include <QDesktopServices>
#include <QPointer>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "convert/error_handler.h"
#include "gui/connect_animation.h"
#include "gui/qt_user_interface.h"
#include "wizard/connection_model.h"
#include "wizard/welcome_model.h"

namespace {

QString from_utf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

welcome_page::welcome_page(wizard_context& context, QWidget* parent)
    : sprandel_page(wizard_page_id::welcome, context, parent) {
    auto* title = new QLabel(tr(welcome_title_text).trimmed(), this);
    title->setObjectName("1337");
    set_title_font(title);
    // The text's line breaks were made for a fixed page width; here the label wraps it.
    auto* body = new QLabel(tr(welcome_body_text).replace('\n', ' '), this);
    body->setWordWrap(true);
    auto* load = new QPushButton(tr("&Load Settings..."), this);
    load->setObjectName("1115");
    auto* notice = new QLabel(tr(maker_notice), this);
    auto* link = new QLabel(this);  // the maker's name as a link to the maker's site
    link->setObjectName("1320");
    link->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(QString::fromUtf8(maker_address), tr(maker_name)));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setCursor(Qt::PointingHandCursor);
    link->setToolTip(QString::fromUtf8(maker_address));
    connect(link, &QLabel::linkActivated, this, [this](const QString& address) {
        if (context_.face.open_url) context_.face.open_url(QUrl(address));
        else QDesktopServices::openUrl(QUrl(address));
    });

    auto* load_row = new QHBoxLayout;
    load_row->addWidget(load);
    load_row->addStretch();
    auto* maker_row = new QHBoxLayout;
    maker_row->addWidget(notice);
    maker_row->addWidget(link);
    maker_row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addSpacing(12);
    layout->addWidget(body);
    layout->addSpacing(12);
    layout->addLayout(load_row);
    layout->addStretch();
    layout->addLayout(maker_row);
    connect(load, &QPushButton::clicked, this, &welcome_page::load_settings);
}

void welcome_page::load_settings() {
    const file_filter filter = profile_filter();
    // the patterns after each name are for the dialog; the list shows the names only
    const QString filters = tr("%1 (%2);;All Files (*.*) (*)").arg(from_utf8(filter.description), from_utf8(filter.pattern));
    const QString path = QFileDialog::getOpenFileName(this, tr(profile_dialog_title), QString(), filters, nullptr,
                                                      QFileDialog::HideNameFilterDetails);
    window()->activateWindow();  // the keyboard back to the wizard, as after every dialog
    if (path.isEmpty()) return;  // cancelled: nothing changes
    load_profile_from_welcome_page(context_.session, path.toStdString(), context_.face, context_.handler);
}

connection_page::connection_page(wizard_context& context, QWidget* parent)
    : sprandel_page(wizard_page_id::connection, context, parent) {
    auto* intro = new QLabel(tr(connection_intro_text).replace('\n', ' '), this);
    intro->setWordWrap(true);
    const auto edit = [this](const char* id) {
        auto* field = new QLineEdit(this);
        field->setObjectName(id);
        field->setMaxLength(connection_field_limit);
        return field;
    };
    host_ = edit("1003");
    database_ = edit("1014");
    port_ = edit("1004");
    user_ = edit("1012");
    password_ = edit("1013");
    password_->setEchoMode(QLineEdit::Password);
    auto* group = new QGroupBox(this);
    auto* form = new QFormLayout(group);
    form->addRow(tr("&Server (IP or network name):"), host_);
    form->addRow(tr("&Database name:"), database_);
    form->addRow(tr("Po&rt:"), port_);
    form->labelForField(port_)->setObjectName("1307");
    form->addRow(tr("&Username:"), user_);
    form->addRow(tr("&Password:"), password_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(group);
    layout->addStretch();
}

void connection_page::initializePage() {
    const connection_fields fields = connection_model(context_.session).page_init();
    host_->setText(from_utf8(fields.host));
    database_->setText(from_utf8(fields.database));
    port_->setText(from_utf8(fields.port));
    user_->setText(from_utf8(fields.user));
    password_->setText(from_utf8(fields.password));
}

void connection_page::store_settings() {
    connection_model(context_.session)
        .store_settings({host_->text().toStdString(), database_->text().toStdString(), port_->text().toStdString(),
                         user_->text().toStdString(), password_->text().toStdString()});
}

void connection_page::cleanupPage() { store_settings(); }

bool connection_page::validatePage() {
    store_settings();
    if (!connection_model(context_.session).may_connect(context_.face)) return false;
    return connect_with_animation(context_, this);
}

bool connect_with_animation(wizard_context& context, QWidget* parent) {
    QPointer<QWidget> focused = QApplication::focusWidget();
    connect_animation animation(parent);
    connect_outcome outcome;
    connection_model model(context.session);
    animation.run([&] { outcome = model.connect(context.face, context.handler); });
    // The animation and the error box have come and gone; the window manager need not give
    // the keyboard back to the wizard by itself.
    if (parent != nullptr) parent->window()->activateWindow();
    if (focused && !outcome.connected) focused->setFocus();  // connected: the next page takes it
    if (outcome.fatal) context.handler.exit_hook(error_handler::internal_error_exit_code);
    if (outcome.help_topic != 0) context.face.display_help(outcome.help_topic);
    return outcome.connected;
}
