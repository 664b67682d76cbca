# The configuration editor: the property list's toolkit-free layout and typing rules, and the Qt dialog.
orven_add_library(orven_chipcfg_dlg_logic SOURCES prop_list_layout.cpp number_entry.cpp LIBS orven_chipcfg)

orven_add_library(orven_chipcfg_dlg
  SOURCES config_dlg.cpp qt/list_item.cpp qt/my_list.cpp qt/prop_list_ctrl.cpp qt/prop_list_images.cpp
  LIBS orven_chipcfg_dlg_logic Qt6::Widgets)
set_target_properties(orven_chipcfg_dlg PROPERTIES AUTOMOC ON)
