target_sources(torvaneui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/parameterfeature.cpp ${CMAKE_CURRENT_LIST_DIR}/parameterfeature.h
)
