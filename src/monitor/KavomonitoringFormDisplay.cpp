// Colour-scale handlers of the monitoring window.
#include "KavomonitoringForm.h"

void KavomonitoringForm::InitColorBar(int) {}
void KavomonitoringForm::UpdateColorBar(int) {}
