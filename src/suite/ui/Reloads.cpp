#include "Reloads.h"

int ReloadReportParameters() {
    return 0;
}

int ReloadCommissionParameters() {
    return 0;
}
