/*!
 * jquery.image.preview.js - image preview on hover for zqjq (the library's own
 * plug-in). $(selector).imgPreview(options) shows, while the mouse is over one
 * of the selected elements, a larger view of its image in a floating container.
 *
 * Options read (defaults in brackets):
 *   distanceFromCursor {top, left}  offset of the container from the mouse [{top:10, left:10}]
 *   preloadImages          load every preview image at once [true]
 *   onShow(container, link), onHide(container), onLoad(img, link)   callbacks, "this" the element
 *   containerCss           class of the container ["imgPreviewContainer"]
 *   containerLoadingClass  class while the image loads ["loading"]
 *   thumbPrefix            prefix of thumbnail file names, removed to get the full image [""]
 *   srcAttr                attribute of the element (or of an <img> inside it) with the image URL ["src"]
 *   containerWidth, containerHeight   fixed container size in pixels, 0 for the image's [0]
 *   imgCSS                 CSS properties of the preview image [{}]
 *   showOnCenter           centre the container in the window instead of following the mouse [false]
 *   hideBodyScrollOnHover  hide the page's scroll bars while the preview shows [false]
 *   trackMouse             move the container with the mouse [true]
 */
(function ($) {
  "use strict";

  var defaults = {
    distanceFromCursor: { top: 10, left: 10 },
    preloadImages: true,
    onShow: null,
    onHide: null,
    onLoad: null,
    containerCss: "imgPreviewContainer",
    containerLoadingClass: "loading",
    thumbPrefix: "",
    srcAttr: "src",
    containerWidth: 0,
    containerHeight: 0,
    imgCSS: {},
    showOnCenter: false,
    hideBodyScrollOnHover: false,
    trackMouse: true
  };

  function escapeRegExp(text) {
    return String(text).replace(/[.*+?^${}()|[\]\\]/g, "\\$&");
  }

  $.fn.imgPreview = function (userOptions) {
    var s = $.extend(true, {}, defaults, userOptions || {});
    var $container = $("<div/>").addClass(s.containerCss).css({
      position: "absolute", display: "none", zIndex: 10000
    }).appendTo(document.body);
    if (s.containerWidth > 0) { $container.css("width", s.containerWidth + "px"); }
    if (s.containerHeight > 0) { $container.css("height", s.containerHeight + "px"); }
    var $img = $("<img/>").css(s.imgCSS).appendTo($container);
    var bodyOverflow = null;

    function srcOf(el) {
      var $el = $(el);
      var src = $el.attr(s.srcAttr);
      if (!src) { src = $el.find("img").attr(s.srcAttr); }
      src = src || "";
      if (s.thumbPrefix) {
        src = src.replace(new RegExp("(^|/)" + escapeRegExp(s.thumbPrefix)), "$1");
      }
      return src;
    }

    function place(e) {
      var $w = $(window);
      if (s.showOnCenter) {
        $container.css({
          top: $w.scrollTop() + Math.max(0, ($w.height() - $container.outerHeight()) / 2),
          left: $w.scrollLeft() + Math.max(0, ($w.width() - $container.outerWidth()) / 2)
        });
      } else if (e) {
        $container.css({ top: e.pageY + s.distanceFromCursor.top, left: e.pageX + s.distanceFromCursor.left });
      }
    }

    function call(fn, self, args) {
      if (typeof fn === "function") { fn.apply(self, args); }
    }

    if (s.preloadImages) {
      this.each(function () {
        var src = srcOf(this);
        if (src) { (new Image()).src = src; }
      });
    }

    return this.each(function () {
      var link = this;
      $(link).on("mouseenter.imgPreview", function (e) {
        var src = srcOf(link);
        if (!src) { return; }
        $container.addClass(s.containerLoadingClass).show();
        $img.hide();
        place(e);
        $img.off("load.imgPreview").on("load.imgPreview", function () {
          $container.removeClass(s.containerLoadingClass);
          $img.show();
          place(e);
          call(s.onLoad, link, [$img[0], link]);
        });
        $img.attr("src", src);
        if ($img[0].complete && $img[0].naturalWidth > 0) { $img.trigger("load.imgPreview"); }
        if (s.hideBodyScrollOnHover) {
          bodyOverflow = document.body.style.overflow;
          document.body.style.overflow = "hidden";
        }
        call(s.onShow, link, [$container[0], link]);
      }).on("mousemove.imgPreview", function (e) {
        if (s.trackMouse && !s.showOnCenter) { place(e); }
      }).on("mouseleave.imgPreview", function () {
        $img.off("load.imgPreview");
        $container.hide().removeClass(s.containerLoadingClass);
        if (bodyOverflow !== null) {
          document.body.style.overflow = bodyOverflow;
          bodyOverflow = null;
        }
        call(s.onHide, link, [$container[0]]);
      });
    });
  };
})(jQuery);
