#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;

namespace digitrace {

// What the operator chooses for publishing the job's sheet to the shared database.
struct PublishChoice {
    QString connection;   // "PG:<conninfo>"
    QString operatorName; // "" for the database login's name
    QString sheet;
    bool live = false; // 送信を続ける: the sheet follows the job while records arrive
};

// データベースへ送信: the connection, the operator and the sheet, and whether to keep sending.
class PublishDialog : public QDialog {
    Q_OBJECT
public:
    explicit PublishDialog(QWidget *parent = nullptr);

    void setChoice(const PublishChoice &choice);
    PublishChoice choice() const;

private:
    QLineEdit *connection_;
    QLineEdit *operator_;
    QLineEdit *sheet_;
    QCheckBox *live_;
};

} // namespace digitrace
