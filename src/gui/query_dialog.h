// The query dialog: a worksheet name and its SELECT text, with Test Query and Help.
#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class qt_user_interface;
class job_session;

class query_dialog : public QDialog {
    Q_OBJECT
public:
    query_dialog(const QString& name, const QString& query, job_session& session, qt_user_interface& face,
                 QWidget* parent);

    QString name() const { return name_; }
    QString query() const { return query_; }

    void accept() override;  // OK: the checks, then close with the text's leading blanks gone

private:
    void test_query();

    job_session& session_;
    qt_user_interface& face_;
    QLineEdit* name_edit_ = nullptr;
    QPlainTextEdit* query_edit_ = nullptr;
    QString name_;
    QString query_;
};
