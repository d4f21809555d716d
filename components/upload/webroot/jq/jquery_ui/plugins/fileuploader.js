/*!
 * qq.FileUploader 2.0 API over XHR2 and FormData, written for the file upload
 * control: an upload button (a file input laid over it), a drop area, a list
 * of files with progress bars, size and extension checks, cancel, and stored
 * files (autoUpload: false) that wait for uploadStoredFiles().
 *
 *   var up = new qq.FileUploader({element: el, action: "/IWZQJQ/...ActionUpload",
 *                                 allowedExtensions: ["png"], sizeLimit: 1048576});
 *   up.setParams({a: 1}); up.uploadStoredFiles(); up.cancelUpload(id);
 *
 * Each file is posted alone: POST action?<params>&<inputName>=<name> with a
 * multipart body holding the file under inputName (headers X-Requested-With,
 * X-File-Name and customHeaders). The reply is JSON: {"success":true} or
 * {"success":false,"reason":"..."}. The files held or uploading are written as
 * JSON ([{"id":0,"filename":"a.txt"}]) into the hidden input iwHiddenInputName.
 */
var qq = window.qq || {};
(function (qq, window, document) {
  "use strict";

  function extend(to, from) {
    for (var k in from) {
      if (Object.prototype.hasOwnProperty.call(from, k)) {
        var v = from[k];
        if (v && typeof v === "object" && !v.nodeType && !v.jquery && !Array.isArray(v) &&
            to[k] && typeof to[k] === "object") {
          extend(to[k], v);
        } else if (v !== undefined && v !== null) {
          to[k] = v;
        }
      }
    }
    return to;
  }
  function escapeHtml(text) {
    return String(text).replace(/[&<>"']/g, function (c) {
      return {"&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;", "'": "&#39;"}[c];
    });
  }
  // Every {key} of the text replaced by its value (texts taken literally).
  function substitute(text, values) {
    return String(text).replace(/\{(\w+)\}/g, function (all, key) {
      return Object.prototype.hasOwnProperty.call(values, key) ? String(values[key]) : all;
    });
  }
  function find(root, cls) {
    return cls ? root.querySelector("." + String(cls).split(/\s+/).join(".")) : null;
  }
  function addClass(el, cls) {
    if (el && cls) String(cls).split(/\s+/).forEach(function (c) { if (c) el.classList.add(c); });
  }
  function removeClass(el, cls) {
    if (el && cls) String(cls).split(/\s+/).forEach(function (c) { if (c) el.classList.remove(c); });
  }
  function toElement(v) {
    if (!v) return null;
    if (v.jquery) return v[0] || null;
    if (typeof v === "string") return document.querySelector(v);
    return v.nodeType ? v : null;
  }
  qq.formatSize = function (bytes) {
    var i = -1;
    do {
      bytes = bytes / 1024;
      i++;
    } while (bytes > 99);
    return Math.max(bytes, 0.1).toFixed(1) + ["kB", "MB", "GB", "TB", "PB", "EB"][i];
  };
  qq.queryString = function (params) {
    var out = [];
    for (var k in params) {
      if (Object.prototype.hasOwnProperty.call(params, k) && params[k] !== undefined && params[k] !== null)
        out.push(encodeURIComponent(k) + "=" + encodeURIComponent(params[k]));
    }
    return out.join("&");
  };

  qq.FileUploader = function (o) {
    var self = this;
    this._options = extend({
      element: null, action: "/server/upload", params: {}, button: null, multiple: true,
      maxConnections: 3, allowedExtensions: [], acceptFiles: [], sizeLimit: 0, minSizeLimit: 0,
      inputName: "qqfile", autoUpload: true, debug: false, customHeaders: null,
      disableCancelForFormUploads: false, iwHiddenInputName: "",
      dragText: "Drop files here to upload", uploadButtonText: "Upload a file",
      cancelButtonText: "Cancel", failUploadText: "Failed",
      multipleFileDropNotAllowedMessage: "You may only drop one file",
      hoverClass: "qq-upload-button-hover", focusClass: "qq-upload-button-focus",
      template: "<div class='qq-uploader'><div class='qq-upload-drop-area'><span>{dragText}</span></div>" +
        "<div class='qq-upload-button'><span>{uploadButtonText}</span></div><ul class='qq-upload-list'></ul></div>",
      fileTemplate: "<li><span class='qq-progress-bar'></span><span class='qq-upload-spinner'></span>" +
        "<span class='qq-upload-finished'></span><span class='qq-upload-file'></span>" +
        "<span class='qq-upload-size'></span><a class='qq-upload-cancel' href='javascript:void(0)'>" +
        "{cancelButtonText}</a><span class='qq-upload-failed-text'>{failUploadtext}</span></li>",
      classes: {
        button: "qq-upload-button", drop: "qq-upload-drop-area", dropActive: "qq-upload-drop-area-active",
        dropDisabled: "qq-upload-drop-area-disabled", list: "qq-upload-list", progressBar: "qq-progress-bar",
        file: "qq-upload-file", spinner: "qq-upload-spinner", finished: "qq-upload-finished",
        size: "qq-upload-size", cancel: "qq-upload-cancel", success: "qq-upload-success",
        fail: "qq-upload-fail", successIcon: null, failIcon: null
      },
      messages: {
        typeError: "{file} has an invalid extension. Only {extensions} {isAre} allowed.",
        sizeError: "{file} is too large, maximum file size is {sizeLimit}.",
        minSizeError: "{file} is too small, minimum file size is {minSizeLimit}.",
        emptyError: "{file} is empty, please select files again without it.",
        noFilesError: "No files to upload.",
        onLeave: "The files are being uploaded, if you leave now the upload will be cancelled."
      },
      onSubmit: function () {}, onUpload: function () {}, onProgress: function () {},
      onComplete: function () {}, onCancel: function () {}, onError: function () {},
      showMessage: function (message) { window.alert(message); },
      listElement: null, extraDropzones: null
    }, o || {});
    var opt = this._options;
    this._element = toElement(opt.element);
    if (!this._element) throw new Error("qq.FileUploader: element not found");
    this._files = {};     // id -> {id, file, name, item, xhr, state}
    this._queue = [];     // ids waiting for a connection, in order
    this._running = 0;
    this._nextId = 0;

    var fill = function (tpl) {
      return substitute(tpl, {
        dragText: escapeHtml(opt.dragText), uploadButtonText: escapeHtml(opt.uploadButtonText),
        cancelButtonText: escapeHtml(opt.cancelButtonText), failUploadtext: escapeHtml(opt.failUploadText)
      });
    };
    this._fileTemplate = fill(opt.fileTemplate);
    this._element.innerHTML = fill(opt.template);
    this._list = toElement(typeof opt.listElement === "function" ? opt.listElement() : opt.listElement) ||
      find(this._element, opt.classes.list);
    this._button = find(this._element, opt.classes.button);
    this._drop = find(this._element, opt.classes.drop);
    if (this._button) this._createInput(this._button);
    var extra = toElement(opt.button);
    if (extra && extra !== this._button) this._createInput(extra);

    this._setupDrop([this._element].concat(
      (typeof opt.extraDropzones === "function" ? opt.extraDropzones() : opt.extraDropzones) || [])
      .map(toElement).filter(Boolean));
    this._list && this._list.addEventListener("click", function (e) {
      var t = e.target;
      if (!t.classList || !t.classList.contains(opt.classes.cancel.split(/\s+/)[0])) return;
      e.preventDefault();
      var li = t.closest("li");
      if (li && li.qqFileId !== undefined) self.cancelUpload(li.qqFileId);
    });
    window.addEventListener("beforeunload", function (e) {
      if (!self.getInProgress()) return undefined;
      e.returnValue = opt.messages.onLeave;
      return opt.messages.onLeave;
    });
    this._reportFiles();
  };

  qq.FileUploader.prototype = {
    setParams: function (params) { this._options.params = params || {}; },
    getInProgress: function () { return this._running; },
    uploadStoredFiles: function () {
      var ids = Object.keys(this._files).map(Number).sort(function (a, b) { return a - b; });
      for (var i = 0; i < ids.length; i++) {
        var f = this._files[ids[i]];
        if (f.state === "stored") this._enqueue(f);
      }
      this._pump();
    },
    clearStoredFiles: function () {
      for (var id in this._files) {
        var f = this._files[id];
        if (f.state === "stored") this._forget(f, true);
      }
      this._reportFiles();
    },
    cancelUpload: function (id) {
      var f = this._files[id];
      if (!f || (f.state !== "stored" && f.state !== "queued" && f.state !== "uploading")) return;
      var wasRunning = f.state === "uploading";
      f.state = "cancelled";
      if (f.xhr) f.xhr.abort();
      this._options.onCancel(id, f.name);
      this._forget(f, true);
      if (wasRunning) {
        this._running--;
        this._pump();
      }
      this._reportFiles();
    },
    isEnabled: function () {
      return !(this._button && this._button.classList.contains("ui-state-disabled"));
    },

    // ---- internals
    _log: function (text) {
      if (this._options.debug && window.console) window.console.log("[uploader] " + text);
    },
    _createInput: function (host) {
      var self = this, opt = this._options;
      var input = document.createElement("input");
      input.type = "file";
      input.name = opt.inputName;
      if (opt.multiple) input.multiple = true;
      if (opt.acceptFiles && opt.acceptFiles.length) input.accept = opt.acceptFiles.join(",");
      input.className = "qq-upload-input";
      if (getComputedStyle(host).position === "static") host.style.position = "relative";
      host.style.overflow = "hidden";
      host.appendChild(input);
      input.addEventListener("change", function () {
        if (input.files && input.files.length) self._addFiles(input.files);
        input.value = "";
      });
      input.addEventListener("mouseover", function () { addClass(host, opt.hoverClass); });
      input.addEventListener("mouseout", function () { removeClass(host, opt.hoverClass); });
      input.addEventListener("focus", function () { addClass(host, opt.focusClass); });
      input.addEventListener("blur", function () { removeClass(host, opt.focusClass); });
    },
    _setupDrop: function (zones) {
      var self = this, opt = this._options, depth = 0;
      var hasFiles = function (e) {
        var types = e.dataTransfer && e.dataTransfer.types;
        return !!types && Array.prototype.indexOf.call(types, "Files") >= 0;
      };
      var show = function (on) {
        if (!self._drop) return;
        self._drop.style.display = on ? "block" : "";
        (on ? addClass : removeClass)(self._drop, opt.classes.dropActive);
        (on && !self.isEnabled() ? addClass : removeClass)(self._drop, opt.classes.dropDisabled);
      };
      zones.forEach(function (zone) {
        zone.addEventListener("dragenter", function (e) {
          if (!hasFiles(e)) return;
          e.preventDefault();
          depth++;
          show(true);
        });
        zone.addEventListener("dragover", function (e) {
          if (!hasFiles(e)) return;
          e.preventDefault();
          e.dataTransfer.dropEffect = self.isEnabled() ? "copy" : "none";
        });
        zone.addEventListener("dragleave", function () {
          if (--depth <= 0) {
            depth = 0;
            show(false);
          }
        });
        zone.addEventListener("drop", function (e) {
          if (!hasFiles(e)) return;
          e.preventDefault();
          depth = 0;
          show(false);
          if (!self.isEnabled()) return;
          var files = e.dataTransfer.files;
          if (!opt.multiple && files.length > 1) {
            opt.showMessage(opt.multipleFileDropNotAllowedMessage);
            return;
          }
          self._addFiles(files);
        });
      });
    },
    _message: function (text, file) {
      var opt = this._options, exts = opt.allowedExtensions || [];
      return substitute(text, {
        file: file.name, extensions: exts.join(", "), isAre: exts.length > 1 ? "are" : "is",
        sizeLimit: qq.formatSize(opt.sizeLimit), minSizeLimit: qq.formatSize(opt.minSizeLimit)
      });
    },
    _validate: function (file) {
      var opt = this._options, m = opt.messages, exts = opt.allowedExtensions || [];
      if (exts.length) {
        var dot = file.name.lastIndexOf("."), ext = dot < 0 ? "" : file.name.slice(dot + 1).toLowerCase();
        var ok = exts.some(function (x) { return String(x).toLowerCase().replace(/^\./, "") === ext; });
        if (!ok) return this._message(m.typeError, file);
      }
      if (file.size === 0) return this._message(m.emptyError, file);
      if (opt.sizeLimit > 0 && file.size > opt.sizeLimit) return this._message(m.sizeError, file);
      if (opt.minSizeLimit > 0 && file.size < opt.minSizeLimit) return this._message(m.minSizeError, file);
      return null;
    },
    _addFiles: function (fileList) {
      var opt = this._options, files = Array.prototype.slice.call(fileList);
      if (!this.isEnabled()) return;
      if (!files.length) {
        opt.showMessage(opt.messages.noFilesError);
        return;
      }
      // every file is checked before any is taken, as the original plug-in does
      for (var i = 0; i < files.length; i++) {
        var error = this._validate(files[i]);
        if (error) {
          opt.showMessage(error);
          return;
        }
      }
      for (var j = 0; j < files.length; j++) {
        var id = this._nextId++, name = files[j].name;
        if (opt.onSubmit(id, name) === false) continue;
        var f = {id: id, file: files[j], name: name, state: "stored", item: this._addItem(id, files[j])};
        this._files[id] = f;
        if (opt.autoUpload) this._enqueue(f);
      }
      this._reportFiles();
      this._pump();
    },
    _addItem: function (id, file) {
      if (!this._list) return null;
      var holder = document.createElement("ul");
      holder.innerHTML = this._fileTemplate;
      var li = holder.firstElementChild || document.createElement("li");
      li.qqFileId = id;
      var c = this._options.classes;
      var name = find(li, c.file);
      if (name) name.textContent = file.name;
      var size = find(li, c.size);
      if (size) size.textContent = qq.formatSize(file.size);
      var bar = find(li, c.progressBar);
      if (bar) bar.style.width = "0%";
      this._list.appendChild(li);
      return li;
    },
    _enqueue: function (f) {
      if (f.state !== "stored") return;
      f.state = "queued";
      this._queue.push(f.id);
    },
    _pump: function () {
      var max = Math.max(1, this._options.maxConnections || 1);
      while (this._running < max && this._queue.length) {
        var f = this._files[this._queue.shift()];
        if (f && f.state === "queued") this._send(f);
      }
    },
    _send: function (f) {
      var self = this, opt = this._options, c = opt.classes;
      f.state = "uploading";
      this._running++;
      var params = extend({}, opt.params || {});
      params[opt.inputName] = f.name;
      var url = opt.action + (opt.action.indexOf("?") >= 0 ? "&" : "?") + qq.queryString(params);
      var xhr = new XMLHttpRequest();
      f.xhr = xhr;
      addClass(find(f.item || document.createElement("li"), c.spinner), "qq-active");
      xhr.upload.onprogress = function (e) {
        if (!e.lengthComputable || f.state !== "uploading") return;
        self._progress(f, e.loaded, e.total);
        opt.onProgress(f.id, f.name, e.loaded, e.total);
      };
      xhr.onreadystatechange = function () {
        if (xhr.readyState !== 4 || f.state !== "uploading") return;
        var response;
        try {
          response = JSON.parse(xhr.responseText);
        } catch (err) {
          response = {success: false, reason: xhr.status ? "HTTP " + xhr.status : "Network error"};
        }
        self._done(f, response || {});
      };
      xhr.open("POST", url, true);
      xhr.setRequestHeader("X-Requested-With", "XMLHttpRequest");
      xhr.setRequestHeader("X-File-Name", encodeURIComponent(f.name));
      var headers = opt.customHeaders;
      if (headers && typeof headers === "object")
        for (var h in headers) if (Object.prototype.hasOwnProperty.call(headers, h)) xhr.setRequestHeader(h, headers[h]);
      var form = new FormData();
      form.append(opt.inputName, f.file, f.name);
      opt.onUpload(f.id, f.name, xhr);
      this._reportFiles();
      xhr.send(form);
    },
    _progress: function (f, loaded, total) {
      if (!f.item) return;
      var c = this._options.classes, pct = total ? Math.round(loaded / total * 100) : 100;
      var bar = find(f.item, c.progressBar);
      if (bar) bar.style.width = pct + "%";
      var size = find(f.item, c.size);
      if (size) size.textContent = pct + "% from " + qq.formatSize(total);
    },
    _done: function (f, response) {
      var opt = this._options, c = opt.classes, li = f.item;
      var ok = response.success === true;
      f.state = ok ? "done" : "failed";
      f.xhr = null;
      this._running--;
      if (li) {
        removeClass(find(li, c.spinner), "qq-active");
        var cancel = find(li, c.cancel);
        if (cancel) cancel.parentNode.removeChild(cancel);
        addClass(li, "qq-upload-finished-item");
        addClass(li, ok ? c.success : c.fail);
        if (ok) {
          this._progress(f, f.file.size, f.file.size);
          var size = find(li, c.size);
          if (size) size.textContent = qq.formatSize(f.file.size);
        } else {
          var reason = document.createElement("span");
          reason.className = "qq-upload-reason";
          reason.textContent = response.reason || response.error || "";
          li.appendChild(reason);
        }
      }
      if (!ok) opt.onError(f.id, f.name, response.reason || response.error || "");
      opt.onComplete(f.id, f.name, response);
      this._forget(f, false);
      this._reportFiles();
      this._pump();
    },
    _forget: function (f, removeItem) {
      if (removeItem && f.item && f.item.parentNode) f.item.parentNode.removeChild(f.item);
      delete this._files[f.id];
    },
    _reportFiles: function () {
      var name = this._options.iwHiddenInputName;
      if (!name) return;
      var list = [];
      for (var id in this._files) list.push({id: Number(id), filename: this._files[id].name});
      var text = JSON.stringify(list);
      if (typeof window.ZQSetHiddenInputVal === "function") {
        window.ZQSetHiddenInputVal(name, text);
      } else {
        var input = document.querySelector("input[name='" + name + "']");
        if (input) input.value = text;
      }
    }
  };
  window.qq = qq;
})(qq, window, document);
