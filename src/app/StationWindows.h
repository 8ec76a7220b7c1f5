#pragma once

class SnifferForm;
class KavomonitoringForm;
struct StationSession;

// The station's two main windows exist one at a time at most: the
// remote-selection dialog, and the monitoring window that closes the dialog
// while it loads and can bring it back. Windows are unloaded (destroyed) when
// they close, so each showing of the dialog loads it afresh from the store.
// The application ends when neither window is left.
namespace StationWindows {

// The dialog, or nullptr when it is not loaded.
SnifferForm *snifferForm();
// Loads the dialog when needed (its Form_Load runs) and shows it modeless.
SnifferForm *showSnifferForm(StationSession &session);
// Closes the dialog when loaded: its unload saves run.
void closeSnifferForm();

// The monitoring window, or nullptr when none is open.
KavomonitoringForm *monitoringForm();
// Creates the monitoring window, runs its load, and shows it unless the load
// already closed it. Returns nullptr in that case.
KavomonitoringForm *openMonitoringForm(StationSession &session);

// Ends the event loop once no station window, and no other window of the
// station (about box, options, help), is left; checked after the current
// handler has returned, so a window that closes while another opens does not
// end the run. Once the dialog has been shown, the last window closing
// checks as well.
void quitWhenNoWindowLeft();

} // namespace StationWindows
