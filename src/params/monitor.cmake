# The parameter monitor, the help windows and the pulse settings: exchanges
# in torvanecore, windows in torvaneui.
target_sources(torvanecore PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/helppager.cpp ${CMAKE_CURRENT_LIST_DIR}/helppager.h
    ${CMAKE_CURRENT_LIST_DIR}/monitorpoller.cpp ${CMAKE_CURRENT_LIST_DIR}/monitorpoller.h
    ${CMAKE_CURRENT_LIST_DIR}/pulsesettings.cpp ${CMAKE_CURRENT_LIST_DIR}/pulsesettings.h
)
target_sources(torvaneui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/helpwindow.cpp ${CMAKE_CURRENT_LIST_DIR}/helpwindow.h
    ${CMAKE_CURRENT_LIST_DIR}/monitorwindow.cpp ${CMAKE_CURRENT_LIST_DIR}/monitorwindow.h
    ${CMAKE_CURRENT_LIST_DIR}/pulsedialog.cpp ${CMAKE_CURRENT_LIST_DIR}/pulsedialog.h
)
