# find_package(KestrelAPI) gives the imported target KestrelAPI::KestrelAPI: the shared library
# libKestrelAPI.so with the include directory of KestrelAPI.h.
include("${CMAKE_CURRENT_LIST_DIR}/KestrelAPITargets.cmake")
