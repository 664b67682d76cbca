/* A host's view written in C against the public header alone: it reads the record and acts on it the way a
 * user would, through the handlers. */
#include <string.h>

#include "orvend/orvend.h"

int c_host_view_picks_stc(void* context, OrvendSetupDialog* dialog);

/* Unticks the pod box, picks "STC" and its third chip, presses OK. Answers 0 (Cancel) if the record does not
 * show what a fresh dialog over -E1 -F16 -V0 -C0 must show, so a layout mismatch fails the caller. */
int c_host_view_picks_stc(void* context, OrvendSetupDialog* dialog) {
  (void)context;
  if (dialog->vendor_count != 4 || strcmp(dialog->vendor_names[2], "STC") != 0) return 0;
  if (!dialog->pod_checked || dialog->chip_lists_enabled || !dialog->pause_checked) return 0;
  dialog->pod_box_clicked(dialog->context, 0);
  if (!dialog->chip_lists_enabled) return 0;
  dialog->vendor_selected(dialog->context, 2);
  if (dialog->model_count != 8 || strcmp(dialog->model_names[dialog->model_selection], "STC12C5A8S2 [ZIF]") != 0) {
    return 0;
  }
  dialog->model_selected(dialog->context, 2);
  dialog->ok(dialog->context);
  return 1;
}
