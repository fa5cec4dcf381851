# The product's names from resources/product.env, for the version record and manifest
# (cmake/program_resources.cmake) and for the C++ code through the generated product_names.h.
file(STRINGS "${PROJECT_SOURCE_DIR}/resources/product.env" tarn_product_lines
     REGEX "^TARN_[A-Z_]+=")
foreach(line IN LISTS tarn_product_lines)
  string(REGEX MATCH "^(TARN_[A-Z_]+)=(.*)$" _ "${line}")
  set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
endforeach()
foreach(name TARN_COMPANY_NAME TARN_PRODUCT_NAME TARN_MAKER_WEB_ADDRESS)
  if("${${name}}" STREQUAL "")
    message(FATAL_ERROR "resources/product.env: no ${name}")
  endif()
endforeach()
set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             "${PROJECT_SOURCE_DIR}/resources/product.env")
set(TARN_GENERATED_DIR "${PROJECT_BINARY_DIR}/generated")
configure_file("${PROJECT_SOURCE_DIR}/resources/product_names.h.in"
               "${TARN_GENERATED_DIR}/product_names.h" @ONLY)
