# The emulator's target-chip table and vendor names, in a library of their own: the download code and the
# setup dialog both list from it. Included from the emulator folder (and, when that folder is not part of the
# build, from driver-ui). It uses only the link layer's header-only wire types.
orven_add_library(orven_target_chips SOURCES ${CMAKE_CURRENT_LIST_DIR}/target_chip_table.cpp)
