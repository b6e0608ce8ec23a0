// The query dialog.
#include "gui/query_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

#include "gui/qt_user_interface.h"
#include "wizard/query_rules.h"
#include "wizard/wizard_pages.h"

namespace {

QPushButton* button(const QString& text, const char* id, QWidget* parent) {
    auto* pushed = new QPushButton(text, parent);
    pushed->setObjectName(id);
    return pushed;
}

}  // namespace

query_dialog::query_dialog(const QString& name, const QString& query, job_session& session,
                           qt_user_interface& face, QWidget* parent)
    : QDialog(parent), session_(session), face_(face), name_(name), query_(query) {
    setObjectName("128");
    setWindowTitle(tr(query_dialog_title));
    name_edit_ = new QLineEdit(name, this);
    name_edit_->setObjectName("1019");
    name_edit_->setMaxLength(query_name_limit);
    query_edit_ = new QPlainTextEdit(query, this);
    query_edit_->setObjectName("1020");
    query_edit_->setMinimumSize(460, 160);
    // SQL needs no tab characters; Tab must lead out of the editor for a keyboard user.
    query_edit_->setTabChangesFocus(true);
    auto* name_label = new QLabel(tr("&Store as Table:"), this);
    name_label->setBuddy(name_edit_);
    auto* query_label = new QLabel(tr("&Query:"), this);
    query_label->setBuddy(query_edit_);

    QPushButton* ok = button(tr("&OK"), "1", this);
    QPushButton* cancel = button(tr("&Cancel"), "2", this);
    QPushButton* test = button(tr("&Test Query"), "129", this);
    QPushButton* help = button(tr("&Help"), "9", this);
    ok->setDefault(true);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* each : {ok, cancel, test, help}) buttons->addWidget(each);
    buttons->addStretch();

    auto* layout = new QGridLayout(this);
    layout->addWidget(name_label, 0, 0);
    layout->addWidget(name_edit_, 0, 1);
    layout->addWidget(query_label, 1, 0, Qt::AlignTop);
    layout->addWidget(query_edit_, 1, 1);
    layout->addLayout(buttons, 0, 2, 2, 1);

    connect(ok, &QPushButton::clicked, this, &query_dialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(test, &QPushButton::clicked, this, &query_dialog::test_query);
    connect(help, &QPushButton::clicked, this, [this] { face_.display_help(help_topic_query_dialog); });
    // the wizard's F1 belongs to its own window; this one needs its own
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, help, &QPushButton::click);
}

void query_dialog::accept() {
    const std::string name = name_edit_->text().toStdString();
    std::string query = query_edit_->toPlainText().left(query_text_limit).toStdString();
    if (!accept_query_dialog(name, query, face_)) return;  // the dialog stays with what was typed
    name_ = QString::fromStdString(name);
    query_ = QString::fromStdString(query);
    QDialog::accept();
}

void query_dialog::test_query() {
    test_query_text(query_edit_->toPlainText().left(query_text_limit).toStdString(), session_, face_);
}
