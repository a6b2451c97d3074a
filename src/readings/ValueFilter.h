#pragma once

#include <QValidator>

class QLineEdit;

// The key filter of the node and temperature boxes: whatever is typed, pasted or dropped
// may only bring digits, ",", "-" and "."; deleting is always allowed. Text already in the
// box (a stored value the program put there) is never judged, so it stays editable.
class ValueFilter : public QValidator {
    Q_OBJECT
public:
    // Installs itself on the box.
    explicit ValueFilter(QLineEdit* box);

    State validate(QString& input, int& pos) const override;

private:
    QString accepted_;
};
