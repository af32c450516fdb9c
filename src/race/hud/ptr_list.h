// Intrusive list of object pointers: new objects go to the front, walking starts there, unlinking is O(1).
#pragma once

#include <cstddef>

namespace race {

template <typename T>
class PtrList {
 public:
  struct Node {
    T* object = nullptr;
    Node* next = nullptr;
    Node* prev = nullptr;
  };

  PtrList() = default;
  // The list owns its nodes, never its objects: owners empty it with a bulk deletion first.
  ~PtrList() { Clear(); }
  PtrList(const PtrList&) = delete;
  PtrList& operator=(const PtrList&) = delete;

  // Returns object.
  T* PushFront(T* object) {
    Node* node = new Node{object, head, nullptr};
    if (head != nullptr) head->prev = node;
    head = node;
    return object;
  }
  // Unlinks and frees the node; the object is untouched.
  void Remove(Node* node) {
    Unlink(node);
    delete node;
  }
  // Unlinks the node, deletes its object and frees the node.
  void RemoveAndDelete(Node* node) {
    Unlink(node);
    delete node->object;
    delete node;
  }
  // The first node holding object, or null.
  Node* Find(const T* object) const {
    for (Node* n = head; n != nullptr; n = n->next) {
      if (n->object == object) return n;
    }
    return nullptr;
  }
  // Removes the first node holding object; false when none does.
  bool RemoveObject(const T* object) {
    Node* node = Find(object);
    if (node == nullptr) return false;
    Remove(node);
    return true;
  }
  size_t Count() const {
    size_t count = 0;
    for (Node* n = head; n != nullptr; n = n->next) ++count;
    return count;
  }
  bool Empty() const { return head == nullptr; }
  // Releases (when the type has a Release step) and deletes every object, front first; the list ends empty.
  void DeleteAll() {
    while (head != nullptr) {
      Node* node = head;
      head = node->next;
      if constexpr (requires(T& t) { t.Release(); }) {
        if (node->object != nullptr) node->object->Release();
      }
      delete node->object;
      delete node;
    }
  }
  // Frees every node, leaving the objects alone.
  void Clear() {
    while (head != nullptr) {
      Node* node = head;
      head = node->next;
      delete node;
    }
  }
  template <typename F>
  void ForEach(F&& visit) const {
    for (Node* n = head; n != nullptr;) {
      Node* next = n->next;  // kept first so the visitor may remove n
      visit(n->object);
      n = next;
    }
  }

  Node* head = nullptr;

 private:
  void Unlink(Node* node) {
    if (node == head) {
      head = node->next;
      if (head != nullptr) head->prev = nullptr;
    } else {
      if (node->prev != nullptr) node->prev->next = node->next;
      if (node->next != nullptr) node->next->prev = node->prev;
    }
    node->next = nullptr;
    node->prev = nullptr;
  }
};

}  // namespace race
