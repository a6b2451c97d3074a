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

signals:
    // A paste or drop of several characters was refused. A single key is dropped silently,
    // as a key filter does; a refused paste would otherwise leave the box as it was
    // without a word. Emitted while the box is still being changed: a receiver that shows a
    // message should be connected queued.
    void refused(const QString& inserted) const;

private:
    QString accepted_;
};
