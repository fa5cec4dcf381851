# Version resource and manifest of every Windows program, generated at configure time from
# resources/program.rc.in and program.manifest.in: the numbers and strings come from
# project(VERSION), the description from the tool record the program links, so the version is
# written in one place only. Also links the program terminal-server aware (RDS, Citrix).
# Also writes build/<preset>/release-programs.tsv (file, id, title, subtitle, category) and
# release-version.txt, which scripts/release.sh packages from.

# The company, product and web address come from resources/product.env (cmake/product.cmake).

# Reads the title, subtitle and category of tool <id> from its record's source.
function(tarn_tool_texts id out_title out_subtitle out_category)
  get_target_property(sources tarn_tool_${id} SOURCES)
  get_target_property(dir tarn_tool_${id} SOURCE_DIR)
  list(GET sources 0 source)
  file(READ "${dir}/${source}" text)
  set(sp "[ \t\r\n]*")
  set(str "u\"([^\"]*)\"")
  string(REGEX MATCH "ToolDef [A-Za-z]+ = {${sp}[0-9]+,${sp}${str},${sp}${str},${sp}${str}"
         found "${text}")
  if(NOT found OR CMAKE_MATCH_1 STREQUAL "")
    message(FATAL_ERROR "${source}: no ToolDef with a title, subtitle and category")
  endif()
  set(${out_title} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  set(${out_subtitle} "${CMAKE_MATCH_2}" PARENT_SCOPE)
  set(${out_category} "${CMAKE_MATCH_3}" PARENT_SCOPE)
endfunction()

function(tarn_program_resources name id)
  tarn_tool_texts(${id} title subtitle category)
  set(version_numbers
      "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
  set(version_dotted
      "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  set(rc "${CMAKE_BINARY_DIR}/resources/${name}.rc")
  set(manifest "${CMAKE_BINARY_DIR}/resources/${name}.manifest")
  configure_file("${PROJECT_SOURCE_DIR}/resources/program.manifest.in" "${manifest}" @ONLY)
  configure_file("${PROJECT_SOURCE_DIR}/resources/program.rc.in" "${rc}" @ONLY)
  target_sources(${name} PRIVATE "${rc}")
  # The resource compiler does not see the manifest as a dependency of the .rc.
  set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${manifest}")
  if(MSVC)
    # Our manifest is the resource; the linker would add a second one of its own.
    target_link_options(${name} PRIVATE /MANIFEST:NO /TSAWARE)
  else()
    target_link_options(${name} PRIVATE -Wl,--tsaware)
  endif()
  set_property(GLOBAL APPEND_STRING PROPERTY TARN_PROGRAM_LINES
               "${name}.exe\t${id}\t${title}\t${subtitle}\t${category}\n")
endfunction()

function(tarn_write_program_list)
  get_property(lines GLOBAL PROPERTY TARN_PROGRAM_LINES)
  file(WRITE "${CMAKE_BINARY_DIR}/release-programs.tsv" "${lines}")
  file(WRITE "${CMAKE_BINARY_DIR}/release-version.txt" "${PROJECT_VERSION}\n")
endfunction()
cmake_language(DEFER DIRECTORY "${PROJECT_SOURCE_DIR}" CALL tarn_write_program_list)
