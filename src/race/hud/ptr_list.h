// Intrusive list of object pointers: new objects go to the front, walking starts there, unlinking is O(1).
#pragma once

#include <cstddef>
#include <iterator>

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
  // Links object after the last node (walking there first); returns object.
  T* PushBack(T* object) {
    if (head == nullptr) return PushFront(object);
    Node* last = head;
    while (last->next != nullptr) last = last->next;
    last->next = new Node{object, nullptr, last};
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
  // The first object, or null when the list is empty.
  T* Front() const { return head != nullptr ? head->object : nullptr; }

  // Bulk deletions of widget lists, one per widget kind: each object, front first, is released with its own
  // Release (its buffers and handles go back) and deleted; the list ends empty.
  void DeleteSprites() { DeleteReleased(); }
  void DeleteButtons() { DeleteReleased(); }
  void DeleteTextLabels() { DeleteReleased(); }
  // Plain deletion of every object, front first, for element types without a release step; the list ends empty.
  void DeleteAll() {
    while (head != nullptr) {
      Node* node = head;
      head = node->next;
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
  // Walks the objects from the front; the list must not change while an iterator is in use (ForEach allows it).
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T*;
    using difference_type = std::ptrdiff_t;
    using pointer = T* const*;
    using reference = T* const&;

    Iterator() = default;
    explicit Iterator(Node* node) : node_(node) {}
    reference operator*() const { return node_->object; }
    Iterator& operator++() {
      node_ = node_->next;
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      node_ = node_->next;
      return before;
    }
    bool operator==(const Iterator& other) const = default;

   private:
    Node* node_ = nullptr;
  };
  Iterator begin() const { return Iterator(head); }
  Iterator end() const { return Iterator(); }

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
  void DeleteReleased() {
    static_assert(requires(T& t) { t.Release(); }, "a widget list holds objects with a Release step");
    while (head != nullptr) {
      Node* node = head;
      head = node->next;
      if (node->object != nullptr) node->object->Release();
      delete node->object;
      delete node;
    }
  }
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
