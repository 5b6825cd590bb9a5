// The report and commission libraries: start-up asks them to re-read their settings for the
// selected profile. Neither keeps settings of its own in this program.
#pragma once

int ReloadReportParameters();
int ReloadCommissionParameters();
