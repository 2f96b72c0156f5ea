# Terminal mode and the simple terminal: the session (torvanecore) and the
# windows (torvaneui).
target_sources(torvanecore PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/terminalclient.h
    ${CMAKE_CURRENT_LIST_DIR}/terminalsession.cpp ${CMAKE_CURRENT_LIST_DIR}/terminalsession.h
)
target_sources(torvaneui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/simpleterminalwindow.cpp ${CMAKE_CURRENT_LIST_DIR}/simpleterminalwindow.h
    ${CMAKE_CURRENT_LIST_DIR}/terminalfeature.cpp ${CMAKE_CURRENT_LIST_DIR}/terminalfeature.h
    ${CMAKE_CURRENT_LIST_DIR}/terminalwindow.cpp ${CMAKE_CURRENT_LIST_DIR}/terminalwindow.h
)
