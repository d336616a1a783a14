// Model files (3DS and the other formats assimp reads) into mesh triangles.
#include "MeshModel.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <filesystem>

namespace quarvex::detail {

namespace {

void AddNode(MeshData& mesh, const aiScene& scene, const aiNode& node, const aiMatrix4x4& parent,
             int firstGroup) {
    const aiMatrix4x4 transform = parent * node.mTransformation;
    aiMatrix3x3 normalTransform(transform);
    normalTransform.Inverse().Transpose();
    for (unsigned m = 0; m < node.mNumMeshes; ++m) {
        const aiMesh& src = *scene.mMeshes[node.mMeshes[m]];
        for (unsigned f = 0; f < src.mNumFaces; ++f) {
            const aiFace& face = src.mFaces[f];
            if (face.mNumIndices != 3) continue;
            Triangle t;
            t.group = firstGroup + static_cast<int>(src.mMaterialIndex);
            for (int k = 0; k < 3; ++k) {
                const unsigned idx = face.mIndices[k];
                // assimp turns a 3DS file's z-up (x, y, z) into y-up (x, z, -y) through the root
                // node's transform: the file's -y (its front) becomes the mesh's forward.
                const aiVector3D p = transform * src.mVertices[idx];
                t.p[k] = {p.x, p.y, p.z};
                if (src.HasTextureCoords(0)) {
                    t.uv[k] = {src.mTextureCoords[0][idx].x, 1.0f - src.mTextureCoords[0][idx].y};
                } else {
                    t.uv[k] = {0.0f, 0.0f};
                }
                aiVector3D n = src.HasNormals() ? normalTransform * src.mNormals[idx] : aiVector3D(0, 1, 0);
                n.Normalize();
                t.n[k] = {n.x, n.y, n.z};
            }
            mesh.triangles.push_back(t);
        }
    }
    for (unsigned c = 0; c < node.mNumChildren; ++c) {
        AddNode(mesh, scene, *node.mChildren[c], transform, firstGroup);
    }
}

}  // namespace

void LoadModelFile(MeshData& mesh, const std::string& path, const std::string& shownName) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        throw EngineError("Cannot load the model \"" + shownName + "\": the file " + path +
                          " does not exist");
    }
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(
        path, aiProcess_Triangulate | aiProcess_GenSmoothNormals | aiProcess_JoinIdenticalVertices |
                  aiProcess_SortByPType);
    if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !scene->mRootNode) {
        throw EngineError("Cannot load the model \"" + shownName + "\" (" + path +
                          "): " + importer.GetErrorString());
    }
    const size_t before = mesh.triangles.size();
    const int firstGroup = static_cast<int>(mesh.groupTextures.size());
    AddNode(mesh, *scene, *scene->mRootNode, aiMatrix4x4(), firstGroup);
    if (mesh.triangles.size() == before) {
        throw EngineError("Cannot load the model \"" + shownName + "\" (" + path +
                          "): it has no triangles");
    }
    mesh.groupTextures.resize(firstGroup + std::max(1u, scene->mNumMaterials));
    mesh.GeometryChanged();
}

}  // namespace quarvex::detail
