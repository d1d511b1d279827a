# gRPC and protobuf for the instrument server protocol: the C++ libraries as
# the target orve_grpc, and the code generators. gRPC's CMake package is
# missing from some Debian installations; pkg-config finds it there.
find_program(ORVE_PROTOC protoc REQUIRED)
find_program(ORVE_GRPC_CPP_PLUGIN grpc_cpp_plugin REQUIRED)
find_program(ORVE_GRPC_PYTHON_PLUGIN grpc_python_plugin)

find_package(Protobuf QUIET)
find_package(gRPC CONFIG QUIET)
add_library(orve_grpc INTERFACE)
if(TARGET gRPC::grpc++ AND TARGET protobuf::libprotobuf)
    target_link_libraries(orve_grpc INTERFACE gRPC::grpc++ protobuf::libprotobuf)
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(ORVE_GRPCPP REQUIRED IMPORTED_TARGET grpc++ protobuf)
    target_link_libraries(orve_grpc INTERFACE PkgConfig::ORVE_GRPCPP)
endif()

# orve_grpc_cpp(<target> <proto root> <proto file relative to the root>)
# A static library of the generated messages and service stubs; its users see
# the generated headers as system headers (their code is not ours to warn about).
function(orve_grpc_cpp TARGET ROOT PROTO)
    set(out ${PROJECT_BINARY_DIR}/generated)
    string(REGEX REPLACE "\\.proto$" "" stem ${PROTO})
    set(gen ${out}/${stem}.pb.cc ${out}/${stem}.pb.h ${out}/${stem}.grpc.pb.cc ${out}/${stem}.grpc.pb.h)
    file(MAKE_DIRECTORY ${out})
    add_custom_command(OUTPUT ${gen}
        COMMAND ${ORVE_PROTOC} --proto_path=${ROOT} --cpp_out=${out} --grpc_out=${out}
                --plugin=protoc-gen-grpc=${ORVE_GRPC_CPP_PLUGIN} ${ROOT}/${PROTO}
        DEPENDS ${ROOT}/${PROTO}
        COMMENT "Generating C++ code for ${PROTO}")
    add_library(${TARGET} STATIC ${out}/${stem}.pb.cc ${out}/${stem}.grpc.pb.cc)
    target_include_directories(${TARGET} SYSTEM PUBLIC ${out})
    target_compile_options(${TARGET} PRIVATE -w)
    target_link_libraries(${TARGET} PUBLIC orve_grpc)
endfunction()

# orve_grpc_python(<target> <proto root> <proto file> <output folder>)
# Python messages and stubs for clients in that language, made at build time.
function(orve_grpc_python TARGET ROOT PROTO OUT)
    if(NOT ORVE_GRPC_PYTHON_PLUGIN)
        return()
    endif()
    string(REGEX REPLACE "\\.proto$" "" stem ${PROTO})
    set(gen ${OUT}/${stem}_pb2.py ${OUT}/${stem}_pb2_grpc.py)
    file(MAKE_DIRECTORY ${OUT})
    add_custom_command(OUTPUT ${gen}
        COMMAND ${ORVE_PROTOC} --proto_path=${ROOT} --python_out=${OUT} --grpc_out=${OUT}
                --plugin=protoc-gen-grpc=${ORVE_GRPC_PYTHON_PLUGIN} ${ROOT}/${PROTO}
        DEPENDS ${ROOT}/${PROTO}
        COMMENT "Generating Python code for ${PROTO}")
    add_custom_target(${TARGET} ALL DEPENDS ${gen})
endfunction()
