/*!
 * lazyload.js: the file loader the library's async renders call
 * (LazyLoad.css(list, callback), LazyLoad.js(list, callback)).
 *
 * The loader itself is part of the client runtime (zq.runtime.js), which every
 * page of the host loads before any control file; this file is linked by the
 * controls under its own name and only supplies the loader for a page that
 * runs without the runtime.
 */
(function (window, document) {
  'use strict';
  if (window.LazyLoad) return;
  function load(kind, urls, callback) {
    var list = [].concat(urls || []);
    var pending = list.length;
    if (!pending) { if (callback) callback(); return; }
    list.forEach(function (url) {
      var el = document.createElement(kind === 'css' ? 'link' : 'script');
      if (kind === 'css') { el.rel = 'stylesheet'; el.href = url; } else { el.src = url; el.async = false; }
      el.onload = el.onerror = function () { if (--pending === 0 && callback) callback(); };
      document.head.appendChild(el);
    });
  }
  window.LazyLoad = {
    css: function (urls, callback) { load('css', urls, callback); },
    js: function (urls, callback) { load('js', urls, callback); }
  };
})(window, document);
