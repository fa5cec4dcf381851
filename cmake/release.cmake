# The release build (preset "release", scripts/release.sh): optimised like the test build, no
# debug data in the shipped programs (kept apart as <program>.exe.debug, found through a
# gnu-debuglink), unused functions dropped and no link time stamp, so that two builds of one
# commit give the same bytes. -fdata-sections is left out on purpose: it moves the large
# zero-filled buffers out of .bss into the file.
option(TARN_RELEASE "Release build: stripped programs, separate symbols, reproducible" OFF)

if(TARN_RELEASE)
  add_compile_options(-ffunction-sections
                      "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=."
                      "-ffile-prefix-map=${CMAKE_BINARY_DIR}=.")
  add_link_options(-Wl,--gc-sections -Wl,--no-insert-timestamp)
endif()

function(tarn_program_release name)
  if(NOT TARN_RELEASE)
    return()
  endif()
  target_sources(${name} PRIVATE "${PROJECT_SOURCE_DIR}/app/terminate_handler.cpp")
  # The link map names every archive member the program took in: the release's notices and
  # bill of materials are checked against it, not against a list typed by hand.
  target_link_options(${name} PRIVATE "-Wl,-Map=${CMAKE_BINARY_DIR}/${name}.exe.map")
  set(exe "$<TARGET_FILE:${name}>")
  # objcopy stamps the PE header with SOURCE_DATE_EPOCH or the current time: keep the link's 0.
  set(objcopy "${CMAKE_COMMAND}" -E env SOURCE_DATE_EPOCH=0 "${CMAKE_OBJCOPY}")
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${objcopy} --only-keep-debug "${exe}" "${exe}.debug"
    COMMAND ${objcopy} --strip-all "${exe}"
    # The link names the symbol file without its folder: a debugger looks beside the program.
    COMMAND "${CMAKE_COMMAND}" -E chdir "$<TARGET_FILE_DIR:${name}>"
            ${objcopy} "--add-gnu-debuglink=$<TARGET_FILE_NAME:${name}>.debug"
            "$<TARGET_FILE_NAME:${name}>"
    VERBATIM)
endfunction()
