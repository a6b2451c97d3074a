#include "sensors/SensorFilter.h"

#include "sensors/FilterCriteria.h"
#include "sensors/IdentificationPage.h"
#include "sensors/SensorFields.h"
#include "sensors/SensorFilterPanel.h"
#include "sensors/SensorList.h"
#include "store/Clock.h"
#include "store/Guard.h"
#include "ui/AppContext.h"
#include "ui/AppState.h"
#include "ui/Prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>

SensorFilter::SensorFilter(AppState& state, const AppContext& context, SensorForm& form,
                           IdentificationPage& identification, SensorFilterPanel& panel,
                           QLineEdit& txtSCount, QObject* parent)
    : QObject(parent), state_(state), context_(context), form_(form),
      identification_(identification), txtSCount_(txtSCount), panel_(&panel) {
    setObjectName("sensorFilter");
    connect(panel_->imgFilter.image, &ClickableLabel::clicked, this,
            &SensorFilter::imgFilter_Click);
    panel_->txtStartDate->installEventFilter(this);
    panel_->txtEndDate->installEventFilter(this);
}

void SensorFilter::imgFilter_Click() {
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " imgFilter_Click", [&] {
        if (sensorList(state_).filtered()) {
            RemoveFilter();
            return;
        }
        SensorFilterInput input;
        input.type = panel_->txtFilterType->currentText();
        input.level = panel_->txtFilterLevel->text();
        input.location = panel_->txtFilterLocation->text();
        input.startDate = panel_->txtStartDate->text();
        input.endDate = panel_->txtEndDate->text();
        input.hideDestroyed = panel_->chkDontShowDestroyed->isChecked();
        const SensorFilterResult result = sensorFilterCriteria(input, context_.clock->today());
        switch (result.problem) {
        case FilterProblem::UnknownType:
            context_.prompter->message(kAppTitle, "Sensor Type is not recognized\r\n\r\nPlease "
                                                  "choose a sensor from the list, or enter the 2 "
                                                  "digit sensor #");
            return;
        case FilterProblem::BadStartDate:
            context_.prompter->message(kAppTitle, "Start date is not a valid date\r\nPlease enter "
                                                  "a date in the format yyyy/mm/dd");
            panel_->txtStartDate->setFocus();
            return;
        case FilterProblem::BadEndDate:
            context_.prompter->message(kAppTitle, "End date is not a valid date\r\nPlease enter a "
                                                  "date in the format yyyy/mm/dd");
            panel_->txtEndDate->setFocus();
            return;
        case FilterProblem::NoCriteria:
            context_.prompter->message(kOmbrevaultTitle,
                                       "You must enter criteria to filter sensors on",
                                       MsgIcon::Information);
            return;
        case FilterProblem::None:
            break;
        }
        AddFilter(result.criteria);
    });
}

void SensorFilter::AddFilter(const QVector<Criterion>& criteria) {
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " G_AddFilter", [&] {
        RecordSet& rs = sensorList(state_);
        rs.setFilter(criteria);
        if (rs.recordCount() > 0) {
            showState(true);
        } else {
            context_.prompter->message(kOmbrevaultTitle,
                                       "There are no sensors that meet the criteria",
                                       MsgIcon::Exclamation);
            rs.removeFilter();
            showState(false);
        }
        showSensors();
    });
}

void SensorFilter::RemoveFilter() {
    guarded(ErrorLog{state_.dataFolder, context_.clock}, " G_RemoveFilter", [&] {
        sensorList(state_).removeFilter();
        panel_->lblFilter->hide();
        showSensors();
        showState(false);
        panel_->chkDontShowDestroyed->setChecked(false);
        panel_->txtFilterType->setCurrentIndex(-1);
        panel_->txtFilterType->setEditText(QString());
        panel_->txtFilterLevel->clear();
        panel_->txtFilterLocation->clear();
        panel_->txtStartDate->clear();
        panel_->txtEndDate->clear();
    });
}

void SensorFilter::showState(bool active) {
    panel_->imgFilter.caption->setText(active ? "Remove Filter" : "Apply Filter");
    panel_->lblFilter->setVisible(active);
    panel_->imgFilter.image->setPixmap(active ? panel_->imgRemoveFilter->pixmap()
                                              : panel_->imgApplyFilter->pixmap());
}

void SensorFilter::showSensors() {
    showSensorList(sensorList(state_), *identification_.cboSensors, form_, txtSCount_);
}

void SensorFilter::txtStartDate_LostFocus() {
    const QString text = panel_->txtStartDate->text();
    if (!text.isEmpty() && !readDateText(text)) {
        context_.prompter->message(kAppTitle,
                                   "Start Date is not a valid date\r\nPlease type a "
                                   "date in the format yyyy/mm/dd",
                                   MsgIcon::Exclamation);
        panel_->txtStartDate->setFocus();
    }
}

void SensorFilter::txtEndDate_LostFocus() {
    const QString text = panel_->txtEndDate->text();
    if (!text.isEmpty() && !readDateText(text)) {
        context_.prompter->message(kAppTitle,
                                   "End Date is not a valid date\r\nPlease type a "
                                   "date in the format dd/mm/yyyy",
                                   MsgIcon::Exclamation);
        panel_->txtEndDate->setFocus();
    }
}

bool SensorFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusOut) {
        return false;
    }
    // Switching to another window is not leaving the box.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
        return false;
    }
    if (watched == panel_->txtStartDate) {
        txtStartDate_LostFocus();
    } else if (watched == panel_->txtEndDate) {
        txtEndDate_LostFocus();
    }
    return false;
}
