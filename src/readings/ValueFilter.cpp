#include "readings/ValueFilter.h"

#include "readings/ReadingKeys.h"

#include <QLineEdit>
#include <algorithm>

ValueFilter::ValueFilter(QLineEdit* box) : QValidator(box), accepted_(box->text()) {
    box->setValidator(this);
    // Every change that reached the box, by the user or the program, is the new base.
    connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text; });
}

QValidator::State ValueFilter::validate(QString& input, int& /*pos*/) const {
    // The inserted part is what lies between the common start and the common end.
    const qsizetype shorter = std::min(input.size(), accepted_.size());
    qsizetype head = 0;
    while (head < shorter && input[head] == accepted_[head]) {
        ++head;
    }
    qsizetype tail = 0;
    while (tail < shorter - head &&
           input[input.size() - 1 - tail] == accepted_[accepted_.size() - 1 - tail]) {
        ++tail;
    }
    const QString inserted = input.mid(head, input.size() - head - tail);
    if (isValueText(inserted)) {
        return Acceptable;
    }
    if (inserted.size() > 1) {
        emit refused(inserted);
    }
    return Invalid;
}
