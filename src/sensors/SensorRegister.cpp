#include "sensors/SensorRegister.h"

#include "sensors/SensorAdder.h"
#include "sensors/SensorComboTyping.h"
#include "sensors/SensorDeletion.h"
#include "sensors/SensorFilter.h"
#include "sensors/SensorForm.h"
#include "sensors/SensorNavigation.h"
#include "sensors/SensorRetirement.h"

SensorRegisterCommands buildSensorRegister(AppState& state, const AppContext& context,
                                           SensorForm& form, IdentificationPage& identification,
                                           SensorFilterPanel& filterPanel, QLineEdit& txtSCount) {
    auto* navigation = new SensorNavigation(state, context, form, identification, txtSCount, &form);
    auto* adder = new SensorAdder(state, context, form, identification, txtSCount, &form);
    new SensorComboTyping(state, context, identification, *navigation, *adder, &form);
    new SensorRetirement(state, context, form, identification, &form);
    new SensorDeletion(state, context, form, identification, &form);
    return {new SensorFilter(state, context, form, identification, filterPanel, txtSCount, &form),
            navigation};
}
