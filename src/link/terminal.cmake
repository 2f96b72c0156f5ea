target_sources(torvaneui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/terminalfeature.cpp ${CMAKE_CURRENT_LIST_DIR}/terminalfeature.h
)
