# orvex_polytope's sources, named once: the native library and the browser's build both
# take them from here.
set(ORVEX_POLYTOPE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/coxeter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dual.cpp
  ${CMAKE_CURRENT_LIST_DIR}/faces.cpp
  ${CMAKE_CURRENT_LIST_DIR}/geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/json.cpp
  ${CMAKE_CURRENT_LIST_DIR}/measures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/model_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/model_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/normal_length.cpp
  ${CMAKE_CURRENT_LIST_DIR}/off4.cpp
  ${CMAKE_CURRENT_LIST_DIR}/point_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/point_sets.cpp
  ${CMAKE_CURRENT_LIST_DIR}/polytope.cpp
  ${CMAKE_CURRENT_LIST_DIR}/polytope_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prisms.cpp
  ${CMAKE_CURRENT_LIST_DIR}/uniformity.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wythoff.cpp
)
