/*
 * The setup dialog as the driver hands it to a host's view through OrvendUi.setup_dialog: what each control
 * shows, and the handlers the view calls when the user acts. Plain C, fixed-width types.
 *
 * Contract: the record and everything it points to belong to the driver and stay valid until setup_dialog
 * returns. The view shows the record, and after every handler it calls it shows the record again (a handler
 * may refill the model list, move a selection or enable the chip lists). Texts are UTF-8; a line break in
 * a text is "\r\n". The view answers 1 from setup_dialog after it has called `ok`, 0 after `cancel` or when
 * the dialog is closed any other way.
 */
#ifndef ORVEND_SETUP_DIALOG_RECORD_H
#define ORVEND_SETUP_DIALOG_RECORD_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OrvendSetupDialog {
  void* context;                   /* @0   the driver's: pass it to every handler */

  /* Fixed texts of the dialog. */
  const char* caption;             /* @8   window caption */
  const char* emulation_group;     /* @16  group box around the pause box and its note */
  const char* pause_label;         /* @24  check box: the stop-while-running feature */
  const char* pause_note;          /* @32  note under the pause box (starts with a line break) */
  const char* download_group;      /* @40  group box around the download choices */
  const char* vendor_label;        /* @48  label over the vendor list */
  const char* model_label;         /* @56  label over the model list */
  const char* pod_label;           /* @64  check box: download to the VELM5 pod */
  const char* product_group;       /* @72  group box around the product information */
  const char* ok_label;            /* @80  default button */
  const char* cancel_label;        /* @88  */

  /* What the controls show. Selections are list indexes, -1 for none; flags are 0 or 1. */
  const char* product_text;        /* @96  read-only, several lines */
  const char* const* vendor_names; /* @104 vendor_count names, in list order */
  const char* const* model_names;  /* @112 model_count names, in list order */
  uint32_t vendor_count;           /* @120 */
  int32_t vendor_selection;        /* @124 */
  uint32_t model_count;            /* @128 */
  int32_t model_selection;         /* @132 */
  int32_t pause_checked;           /* @136 */
  int32_t pod_checked;             /* @140 */
  int32_t chip_lists_enabled;      /* @144 both lists and their labels */
  uint32_t model_list_serial;      /* @148 changes whenever the model list has been refilled */

  /* Handlers. */
  void (*pause_box_clicked)(void* context, int32_t checked); /* @152 the pause box now shows checked */
  void (*pod_box_clicked)(void* context, int32_t checked);   /* @160 the pod box now shows checked */
  void (*vendor_selected)(void* context, int32_t index);     /* @168 the user chose vendor index */
  void (*model_selected)(void* context, int32_t index);      /* @176 the user chose model index */
  void (*ok)(void* context);                                 /* @184 OK: the driver takes the controls */
  void (*cancel)(void* context);                             /* @192 Cancel: nothing changes */
} OrvendSetupDialog;                                         /* size 200 (i686: 116) */

#if defined(__cplusplus)
#define ORVEND_SETUP_ASSERT(cond, name) static_assert(cond, #name)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define ORVEND_SETUP_ASSERT(cond, name) _Static_assert(cond, #name)
#else
#define ORVEND_SETUP_ASSERT(cond, name) typedef char orvend_setup_assert_##name[(cond) ? 1 : -1]
#endif

#if defined(__x86_64__) || defined(_M_X64)
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, cancel_label) == 88, setup_cancel_label);
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, product_text) == 96, setup_product_text);
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, vendor_count) == 120, setup_vendor_count);
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, model_selection) == 132, setup_model_selection);
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, model_list_serial) == 148, setup_serial);
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, pause_box_clicked) == 152, setup_pause_handler);
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, cancel) == 192, setup_cancel);
ORVEND_SETUP_ASSERT(sizeof(OrvendSetupDialog) == 200, setup_size);
#elif defined(__i386__) || defined(_M_IX86)
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, cancel_label) == 44, setup_cancel_label);
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, product_text) == 48, setup_product_text);
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, vendor_count) == 60, setup_vendor_count);
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, model_selection) == 72, setup_model_selection);
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, model_list_serial) == 88, setup_serial);
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, pause_box_clicked) == 92, setup_pause_handler);
ORVEND_SETUP_ASSERT(offsetof(OrvendSetupDialog, cancel) == 112, setup_cancel);
ORVEND_SETUP_ASSERT(sizeof(OrvendSetupDialog) == 116, setup_size);
#endif

#undef ORVEND_SETUP_ASSERT

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* ORVEND_SETUP_DIALOG_RECORD_H */
