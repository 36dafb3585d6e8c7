# The browser build (emcmake cmake ...; `make web` runs it). The engine and the game as on the
# desktop, with the browser host and the GL ES 1.1 layer in place of SDL and Mesa.

# Header-only libraries from Debian, without the rest of /usr/include (native headers would
# shadow the browser's C library).
set(WEB_SYSTEM_INCLUDE ${CMAKE_BINARY_DIR}/system-include)
file(MAKE_DIRECTORY ${WEB_SYSTEM_INCLUDE})
foreach(dir nlohmann stb)
  if(NOT EXISTS /usr/include/${dir})
    message(FATAL_ERROR "/usr/include/${dir} is missing: run Tools/install-deps.sh --web")
  endif()
  file(CREATE_LINK /usr/include/${dir} ${WEB_SYSTEM_INCLUDE}/${dir} SYMBOLIC)
endforeach()

# The engine reports broken preconditions with exceptions; browsers run them natively.
set(WEB_FLAGS -fwasm-exceptions)
add_compile_options(${WEB_FLAGS})
add_link_options(${WEB_FLAGS})

file(GLOB_RECURSE PORTABLE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/Source/Engine/*.cpp
  ${CMAKE_SOURCE_DIR}/Source/Classes/*.cpp)
file(GLOB WEB_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Source/Platform/Web/*.cpp)
# The dump the page's test hook reads comes from the test tooling's writers.
set(WEB_DUMP_SOURCES DumpRegistry.cpp GameDump.cpp NodeDump.cpp)
list(TRANSFORM WEB_DUMP_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/Source/Tooling/)
add_executable(bonzelar ${PORTABLE_SOURCES} ${WEB_SOURCES} ${WEB_DUMP_SOURCES}
  ${CMAKE_SOURCE_DIR}/Source/Platform/ExifOrientation.cpp
  ${CMAKE_SOURCE_DIR}/Source/Platform/VirtualAccelerometer.cpp)
target_include_directories(bonzelar PRIVATE ${CMAKE_SOURCE_DIR}/Source)
target_include_directories(bonzelar SYSTEM PRIVATE ${WEB_SYSTEM_INCLUDE})
target_compile_definitions(bonzelar PRIVATE GL_GLEXT_PROTOTYPES=1)
target_link_libraries(bonzelar PRIVATE Chipmunk::chipmunk)
target_link_options(bonzelar PRIVATE
  -sENVIRONMENT=web
  -sALLOW_MEMORY_GROWTH=1
  -sINITIAL_MEMORY=67108864
  -sMAX_WEBGL_VERSION=1
  -sFORCE_FILESYSTEM=1
  -sINVOKE_RUN=0
  -sEXPORTED_FUNCTIONS=_main,_malloc,_free
  -sEXPORTED_RUNTIME_METHODS=FS,callMain,ccall,UTF8ToString)
