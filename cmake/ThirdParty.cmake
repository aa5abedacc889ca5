# Dependencies built from Debian's source packages (fetched by scripts/bootstrap.sh into third-party/),
# compiled here with the cross compiler. Nothing of them is kept in the repository.
set(QV_THIRD_PARTY "${PROJECT_SOURCE_DIR}/third-party" CACHE PATH "Unpacked Debian source packages")
foreach(dep lua5.2/src/lua.h 7zip/CPP/7zip/Archive/IArchive.h pugixml/src/pugixml.cpp)
    if(NOT EXISTS "${QV_THIRD_PARTY}/${dep}")
        message(FATAL_ERROR "${QV_THIRD_PARTY}/${dep} is missing: run scripts/bootstrap.sh as root first")
    endif()
endforeach()

# Lua 5.2 as a static library: every source but the stand-alone interpreter and compiler.
file(GLOB _lua_sources "${QV_THIRD_PARTY}/lua5.2/src/*.c")
list(FILTER _lua_sources EXCLUDE REGEX "/(lua|luac)\\.c$")
add_library(lua52 STATIC ${_lua_sources})
target_include_directories(lua52 SYSTEM PUBLIC "${QV_THIRD_PARTY}/lua5.2/src")
target_compile_options(lua52 PRIVATE -w)

# pugixml, the XML parser under the layout-document reader.
add_library(pugixml STATIC "${QV_THIRD_PARTY}/pugixml/src/pugixml.cpp")
target_include_directories(pugixml SYSTEM PUBLIC "${QV_THIRD_PARTY}/pugixml/src")
target_compile_definitions(pugixml PUBLIC PUGIXML_WCHAR_MODE)
target_compile_options(pugixml PRIVATE -w)

# GoogleTest from Debian's googletest package.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)

# 7-Zip's 7z-only extraction plug-in (the bundle Format7zExtractR): 7zxr.dll with the Archive2.def exports.
set(_7z "${QV_THIRD_PARTY}/7zip")
set(QV_7ZIP_INCLUDE "${_7z}/CPP" CACHE INTERNAL "7-Zip's published interfaces (IArchive.h, IStream.h, ...)")
set(_7z_sources)
foreach(f
        Common/CRC Common/CrcReg Common/IntToString Common/NewHandler Common/MyString Common/StringConvert
        Common/StringToInt Common/MyVector Common/Wildcard
        Windows/PropVariant Windows/Synchronization Windows/System
        7zip/Common/CreateCoder 7zip/Common/CWrappers 7zip/Common/InBuffer 7zip/Common/FilterCoder
        7zip/Common/LimitedStreams 7zip/Common/MethodId 7zip/Common/MethodProps 7zip/Common/OutBuffer
        7zip/Common/ProgressUtils 7zip/Common/PropId 7zip/Common/StreamBinder 7zip/Common/StreamObjects
        7zip/Common/StreamUtils 7zip/Common/VirtThread
        7zip/Archive/ArchiveExports 7zip/Archive/DllExports2
        7zip/Archive/Common/CoderMixer2 7zip/Archive/Common/HandlerOut 7zip/Archive/Common/ItemNameUtils
        7zip/Archive/Common/OutStreamWithCRC 7zip/Archive/Common/ParseProperties
        7zip/Archive/7z/7zCompressionMode 7zip/Archive/7z/7zDecode 7zip/Archive/7z/7zExtract
        7zip/Archive/7z/7zHandler 7zip/Archive/7z/7zHeader 7zip/Archive/7z/7zIn 7zip/Archive/7z/7zProperties
        7zip/Archive/7z/7zRegister
        7zip/Compress/CodecExports 7zip/Compress/Bcj2Coder 7zip/Compress/Bcj2Register 7zip/Compress/BcjCoder
        7zip/Compress/BcjRegister 7zip/Compress/BranchMisc 7zip/Compress/BranchRegister 7zip/Compress/ByteSwap
        7zip/Compress/CopyCoder 7zip/Compress/CopyRegister 7zip/Compress/DeltaFilter 7zip/Compress/Lzma2Decoder
        7zip/Compress/Lzma2Register 7zip/Compress/LzmaDecoder 7zip/Compress/LzmaRegister)
    list(APPEND _7z_sources "${_7z}/CPP/${f}.cpp")
endforeach()
foreach(f 7zStream Alloc Bcj2 Bra Bra86 BraIA64 CpuArch Delta Lzma2Dec Lzma2DecMt LzmaDec MtDec SwapBytes Threads
          7zCrc 7zCrcOpt)
    list(APPEND _7z_sources "${_7z}/C/${f}.c")
endforeach()
add_library(7zxr MODULE ${_7z_sources} "${_7z}/CPP/7zip/Archive/Archive2.def")
set_target_properties(7zxr PROPERTIES PREFIX "" OUTPUT_NAME 7zxr SUFFIX ".dll")
target_compile_definitions(7zxr PRIVATE Z7_EXTRACT_ONLY Z7_NO_CRYPTO UNICODE _UNICODE NDEBUG)
target_compile_options(7zxr PRIVATE -w -O2)
target_link_options(7zxr PRIVATE -static -s)
target_link_libraries(7zxr PRIVATE oleaut32 uuid)
