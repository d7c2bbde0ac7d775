// The detail builders: each turns one reply to a detail query into titled sections of the
// detail grid ("Field", "Value", "Old Value"), appended after what the grid already holds.
// The sections they show belong to the grid's owner from then on; a reply that carries nothing
// to show adds the "No Parameters are Modified" section.
#pragma once

#include "connect/ConnectKivo.h"

class CMultiLineListCtrl;

// "om_get_auth_user_details": new and modified users.
void BuildUserDetails(MnmHndl message, CMultiLineListCtrl& grid);
// "om_get_auth_account_details": new and modified client accounts.
void BuildAccountDetails(MnmHndl message, CMultiLineListCtrl& grid);
// "om_get_auth_limits_details": RMS limits, editable when the host grants the modify right.
void BuildLimitDetails(MnmHndl message, CMultiLineListCtrl& grid);
