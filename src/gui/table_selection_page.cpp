// The table selection page.
#include <QGridLayout>
#include <initializer_list>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "convert/job_session.h"
#include "gui/qt_user_interface.h"
#include "gui/query_dialog.h"
#include "gui/selection_pages.h"

namespace {

QPushButton* button(const QString& text, const char* id, QWidget* parent) {
    auto* pushed = new QPushButton(text, parent);
    pushed->setObjectName(id);
    return pushed;
}

void fill(QListWidget* list, const std::vector<std::string>& names, int current) {
    list->clear();
    for (const std::string& name : names) list->addItem(QString::fromStdString(name));
    list->setCurrentRow(current);
}

// When the query dialog has closed, however it closed, the keyboard belongs to the wizard
// again; the window manager need not see to it.
struct focus_back {
    QWidget* window;
    ~focus_back() { window->activateWindow(); }
};

}  // namespace

table_selection_page::table_selection_page(wizard_context& context, QWidget* parent)
    : sprandel_page(wizard_page_id::table_selection, context, parent), model_(context.session) {
    auto* intro = new QLabel(tr(table_selection_intro_text), this);
    intro->setObjectName("1337");
    available_ = new QListWidget(this);
    available_->setObjectName("1317");
    selected_ = new QListWidget(this);
    selected_->setObjectName("1318");
    auto* available_label = new QLabel(tr(available_label_text), this);
    available_label->setObjectName("1334");
    available_label->setBuddy(available_);
    auto* selected_label = new QLabel(tr(selected_label_text), this);
    selected_label->setObjectName("1312");
    selected_label->setBuddy(selected_);
    QPushButton* add = button(tr("A&dd >"), "1101", this);
    QPushButton* add_all = button(tr("Add a&ll >"), "1102", this);
    QPushButton* remove = button(tr("< &Remove"), "1111", this);
    QPushButton* remove_all = button(tr("< Re&move all"), "1110", this);
    QPushButton* add_query_button = button(tr("Add &Query"), "1114", this);  // Alt+A is "Available tables"

    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    for (QPushButton* each : {add, add_all, remove, remove_all}) buttons->addWidget(each);
    buttons->addSpacing(12);
    buttons->addWidget(add_query_button);
    buttons->addStretch();
    auto* grid = new QGridLayout;
    grid->addWidget(available_label, 0, 0);
    grid->addWidget(selected_label, 0, 2);
    grid->addWidget(available_, 1, 0);
    grid->addLayout(buttons, 1, 1);
    grid->addWidget(selected_, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(grid);
    // Tab goes as the eye does: left list, the buttons between, right list.
    QWidget* previous = available_;
    for (QWidget* next : std::initializer_list<QWidget*>{add, add_all, remove, remove_all, add_query_button, selected_}) {
        setTabOrder(previous, next);
        previous = next;
    }

    using list_id = table_selection_model::list_id;
    const auto act = [this](void (table_selection_model::*move)()) {
        return [this, move] {
            (model_.*move)();
            refresh();
        };
    };
    connect(add, &QPushButton::clicked, this, act(&table_selection_model::add));
    connect(add_all, &QPushButton::clicked, this, act(&table_selection_model::add_all));
    connect(remove, &QPushButton::clicked, this, act(&table_selection_model::remove));
    connect(remove_all, &QPushButton::clicked, this, act(&table_selection_model::remove_all));
    connect(add_query_button, &QPushButton::clicked, this, &table_selection_page::add_query);
    connect(available_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!refreshing_) model_.set_current(list_id::available, row);
    });
    connect(selected_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!refreshing_) model_.set_current(list_id::selected, row);
    });
    connect(available_, &QListWidget::itemDoubleClicked, this, act(&table_selection_model::add));
    connect(selected_, &QListWidget::itemDoubleClicked, this, &table_selection_page::edit_query);
}

void table_selection_page::initializePage() {
    model_.page_init();
    refresh();
}

void table_selection_page::refresh() {
    refreshing_ = true;
    fill(available_, model_.available(), model_.available_current());
    fill(selected_, model_.selected(), model_.selected_current());
    refreshing_ = false;
    (model_.focus() == table_selection_model::list_id::available ? available_ : selected_)->setFocus();
}

void table_selection_page::add_query() {
    const focus_back back{window()};
    QString name, query;
    for (;;) {  // a duplicate name brings the dialog back with what was typed
        query_dialog dialog(name, query, context_.session, context_.face, this);
        if (dialog.exec() != QDialog::Accepted) return;
        name = dialog.name();
        query = dialog.query();
        if (model_.add_query(name.toStdString(), query.toStdString(), context_.face)) break;
    }
    refresh();
}

void table_selection_page::edit_query() {
    const focus_back back{window()};
    std::string current_name, current_text;
    if (!model_.current_query(current_name, current_text)) return;  // a table: nothing to edit
    QString name = QString::fromStdString(current_name), query = QString::fromStdString(current_text);
    for (;;) {  // a name taken by another item brings the dialog back with what was typed
        query_dialog dialog(name, query, context_.session, context_.face, this);
        if (dialog.exec() != QDialog::Accepted) return;
        name = dialog.name();
        query = dialog.query();
        if (model_.replace_current_query(name.toStdString(), query.toStdString(), context_.face)) break;
    }
    refresh();
}

bool table_selection_page::validatePage() { return model_.on_next(context_.face); }
